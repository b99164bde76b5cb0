// The identities of the Vexlo server: type library, classes and interfaces.
// They are fixed for good (the host finds the add-in through them) and must equal
// the ones in Vexlo.idl and in the registry scripts.
#pragma once

#ifndef RC_INVOKED  // the resource script only takes the resource ids

#include "vxplat/Com.h"

// {50442E6E-880A-498D-8831-7E810770A8D3}
inline constexpr GUID LIBID_VexloLib = {0x50442E6E, 0x880A, 0x498D, {0x88, 0x31, 0x7E, 0x81, 0x07, 0x70, 0xA8, 0xD3}};

// {CD30F4BA-FE87-40A8-91A7-807FD52140C0}
inline constexpr CLSID CLSID_VXRoseDelphiAddin = {0xCD30F4BA, 0xFE87, 0x40A8, {0x91, 0xA7, 0x80, 0x7F, 0xD5, 0x21, 0x40, 0xC0}};
// {6A22BE42-D0D2-4166-9B4C-84E11B6F4B08}
inline constexpr CLSID CLSID_VXRoseCSharpAddin = {0x6A22BE42, 0xD0D2, 0x4166, {0x9B, 0x4C, 0x84, 0xE1, 0x1B, 0x6F, 0x4B, 0x08}};

// {FFAF6C50-7E01-4226-92C0-2A7494ECC5AF}
inline constexpr IID IID_IVXRoseDelphiAddin = {0xFFAF6C50, 0x7E01, 0x4226, {0x92, 0xC0, 0x2A, 0x74, 0x94, 0xEC, 0xC5, 0xAF}};
// {295DF05F-3134-47AF-B918-7208C6FC25DA}
inline constexpr IID IID_IVXRoseCSharpAddin = {0x295DF05F, 0x3134, 0x47AF, {0xB9, 0x18, 0x72, 0x08, 0xC6, 0xFC, 0x25, 0xDA}};

// {B0DD1517-75B1-430D-9978-C0B8DFB203C3}
inline constexpr IID DIID__IVXRoseDelphiAddinEvents = {0xB0DD1517, 0x75B1, 0x430D, {0x99, 0x78, 0xC0, 0xB8, 0xDF, 0xB2, 0x03, 0xC3}};
// {BA551285-4DDD-4EB3-A5AD-E60721C4E916}
inline constexpr IID DIID__IVXRoseCSharpAddinEvents = {0xBA551285, 0x4DDD, 0x4EB3, {0xA5, 0xAD, 0xE6, 0x07, 0x21, 0xC4, 0xE9, 0x16}};

// The type library's version.
inline constexpr unsigned short VEXLO_TYPELIB_MAJOR = 1;
inline constexpr unsigned short VEXLO_TYPELIB_MINOR = 0;

#endif

// Resource ids of the registry scripts (type "REGISTRY") and of the type library.
#define IDR_VXROSEDELPHIADDIN 101
#define IDR_VXROSECSHARPADDIN 102
