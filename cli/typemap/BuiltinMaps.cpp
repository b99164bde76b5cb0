// The built-in type maps, in the map file format: C++ and Java types (as models drawn
// for those languages hold them) to the nearest Delphi and C# types.
#include "TypeMap.h"

namespace VexloTypes {

namespace {

const char* const kCpp = R"(
[Delphi]
int = Integer
signed = Integer
signed int = Integer
unsigned = Cardinal
unsigned int = Cardinal
long = LongInt
long int = LongInt
unsigned long = LongWord
long long = Int64
__int64 = Int64
unsigned long long = UInt64
short = SmallInt
unsigned short = Word
char = AnsiChar
signed char = ShortInt
unsigned char = Byte
wchar_t = WideChar
bool = Boolean
BOOL = LongBool
float = Single
double = Double
long double = Extended
void = 
void* = Pointer
char* = PAnsiChar
const char* = PAnsiChar
wchar_t* = PWideChar
const wchar_t* = PWideChar
std::string = string
string = string
std::wstring = WideString
CString = string
const std::string& = string
const string& = string
size_t = NativeUInt
time_t = Int64
DWORD = LongWord
WORD = Word
BYTE = Byte
UINT = Cardinal
LONG = LongInt
int* = PInteger
void** = PPointer
$T* = $T
$T& = $T
const $T& = $T
const $T* = $T
const $T = $T

[C#]
signed = int
signed int = int
unsigned = uint
unsigned int = uint
long int = int
long = int
unsigned long = uint
long long = long
__int64 = long
unsigned long long = ulong
unsigned short = ushort
signed char = sbyte
unsigned char = byte
wchar_t = char
BOOL = bool
long double = double
void* = System.IntPtr
char* = string
const char* = string
wchar_t* = string
const wchar_t* = string
std::string = string
std::wstring = string
CString = string
const std::string& = string
const string& = string
size_t = ulong
time_t = long
DWORD = uint
WORD = ushort
BYTE = byte
UINT = uint
LONG = int
$T* = $T
$T& = $T
const $T& = $T
const $T* = $T
const $T = $T
)";

const char* const kJava = R"(
[Delphi]
int = Integer
long = Int64
short = SmallInt
byte = ShortInt
boolean = Boolean
char = WideChar
float = Single
double = Double
void = 
String = string
java.lang.String = string
Object = TObject
java.lang.Object = TObject
Boolean = Boolean
Integer = Integer
Long = Int64
Double = Double
Float = Single
Character = WideChar
Date = TDateTime
java.util.Date = TDateTime
java.sql.Date = TDateTime
java.sql.Timestamp = TDateTime
BigDecimal = Currency
java.math.BigDecimal = Currency
byte[] = TBytes
int[] = array of Integer
String[] = array of string

[C#]
boolean = bool
byte = sbyte
String = string
java.lang.String = string
Object = object
java.lang.Object = object
Boolean = bool
Integer = int
Long = long
Short = short
Double = double
Float = float
Character = char
Date = System.DateTime
java.util.Date = System.DateTime
java.sql.Date = System.DateTime
java.sql.Timestamp = System.DateTime
BigDecimal = decimal
java.math.BigDecimal = decimal
byte[] = sbyte[]
String[] = string[]
)";

TypeMap Parse(const char* text, const wchar_t* name)
{
    TypeMap map;
    std::wstring error;
    ParseTypeMap(text, name, map, error); // the texts above parse
    map.name = name;
    return map;
}

} // namespace

const TypeMap* BuiltinTypeMap(const std::wstring& name)
{
    static const TypeMap cpp = Parse(kCpp, L"cpp"), java = Parse(kJava, L"java");
    if (name == L"cpp")
        return &cpp;
    if (name == L"java")
        return &java;
    return nullptr;
}

const wchar_t* BuiltinTypeMapNames() { return L"cpp, java"; }

const MapEntry* SuggestEntry(const std::wstring& language, const std::wstring& modelType, std::wstring* to)
{
    for (const wchar_t* name : {L"cpp", L"java"})
        if (const MapEntry* entry = BuiltinTypeMap(name)->Find(language, modelType, to))
            return entry;
    return nullptr;
}

} // namespace VexloTypes
