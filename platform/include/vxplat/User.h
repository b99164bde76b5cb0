// Message boxes.
#pragma once

#include "vxplat/Types.h"

// A function that takes message boxes over: receives what MessageBoxW got and
// returns the button chosen.
typedef int (*VxpMessageBoxHandler)(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

#ifdef _WIN32

// Windows shows real message boxes: this returns nullptr and has no effect.
VxpMessageBoxHandler VxpSetMessageBoxHandler(VxpMessageBoxHandler handler);

#else

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONSTOP MB_ICONHAND
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONMASK 0x000000F0L
#define MB_DEFMASK 0x00000F00L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// Without a handler the caption and text go to standard error and the default
// button is the answer.
int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

#define ERROR_INVALID_WINDOW_HANDLE 1400L

typedef struct tagHELPINFO HELPINFO, *LPHELPINFO;
typedef void(CALLBACK* MSGBOXCALLBACK)(LPHELPINFO lpHelpInfo);

typedef struct tagMSGBOXPARAMSA {
    UINT cbSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpszText;
    LPCSTR lpszCaption;
    DWORD dwStyle;
    LPCSTR lpszIcon;
    DWORD_PTR dwContextHelpId;
    MSGBOXCALLBACK lpfnMsgBoxCallback;
    DWORD dwLanguageId;
} MSGBOXPARAMSA, *PMSGBOXPARAMSA, *LPMSGBOXPARAMSA;

// The texts in the ANSI code page, shown as MessageBoxW shows them. There are no
// windows here, so a box with an owner fails as Windows fails for an owner that is
// not a window: 0 and ERROR_INVALID_WINDOW_HANDLE. Exported under its plain name, as
// user32 exports it: GetProcAddress finds it (the add-in hooks it).
extern "C" int WINAPI MessageBoxIndirectA(const MSGBOXPARAMSA* lpmbp);

// Installs a handler (NULL restores the default); returns the previous one.
VxpMessageBoxHandler VxpSetMessageBoxHandler(VxpMessageBoxHandler handler);

#endif
