// The types a Delphi or C# file knows without the model: the language's own, and those
// of the standard units (Free Pascal's RTL in Delphi mode) and .NET namespaces a file
// may use. A name of a unit or namespace the file does not open is known, but needs it.
#include "LintModel.h"

#include <map>

namespace VexloLint {

namespace {

struct Home {
    const wchar_t* unit; // "" = built into the language (System for Delphi)
    const wchar_t* names;
};

const Home kDelphi[] = {
    {L"", L"Integer Cardinal ShortInt SmallInt LongInt Int64 Byte Word LongWord DWord QWord UInt64 Int8 Int16 "
          L"Int32 UInt8 UInt16 UInt32 NativeInt NativeUInt PtrInt PtrUInt SizeInt SizeUInt Boolean ByteBool "
          L"WordBool LongBool Char AnsiChar WideChar UnicodeChar string AnsiString WideString UnicodeString "
          L"ShortString RawByteString UTF8String Real Single Double Extended Comp Currency Pointer PChar PAnsiChar "
          L"PWideChar PInteger PByte PPointer PString Variant OleVariant TObject TClass IInterface IUnknown "
          L"IDispatch TGUID HRESULT TDateTime TDate TTime Text TextFile THandle TInterfacedObject TMethod "
          L"TVarRec file"},
    {L"SysUtils", L"Exception EAbort EConvertError EInOutError EAccessViolation EArgumentException "
                  L"EInvalidOperation ENotImplemented EIntOverflow EDivByZero EOutOfMemory TFormatSettings "
                  L"TSysCharSet TBytes TEncoding TSearchRec TFileName TProcedure TStringBuilder"},
    {L"Classes", L"TList TFPList TStrings TStringList TComponent TPersistent TCollection TCollectionItem "
                 L"TOwnedCollection TStream TMemoryStream TFileStream TStringStream THandleStream TResourceStream "
                 L"TThread TThreadList TInterfacedPersistent TInterfaceList TNotifyEvent TBits TReader TWriter "
                 L"TShiftState TAlignment TComponentName TListNotification TPoint TRect"},
    {L"Contnrs", L"TObjectList TComponentList TClassList TOrderedList TStack TQueue TObjectStack TObjectQueue "
                 L"TBucketList TFPObjectList TFPHashList"},
    {L"Types", L"TSize TIntegerDynArray TStringDynArray TByteDynArray TDoubleDynArray TBooleanDynArray "
               L"TSingleDynArray TWordDynArray TCardinalDynArray TInt64DynArray"},
    {L"Windows", L"HWND HDC HBITMAP HICON HMENU HFONT HBRUSH HPEN HINST HMODULE HKEY HANDLE DWORD UINT BOOL "
                 L"WPARAM LPARAM LRESULT COLORREF LPSTR LPCSTR LPWSTR LPCWSTR ULONG LONG WORD BYTE "
                 L"TRTLCriticalSection TSystemTime TFileTime"},
    {L"Variants", L"TVarType"},
    {L"Graphics", L"TColor TBitmap TFont TPen TBrush TCanvas TPicture TGraphic TIcon"},
    {L"Controls", L"TControl TWinControl TCustomControl TGraphicControl TMouseButton TCursor TAlign"},
    {L"Forms", L"TForm TCustomForm TFrame TDataModule TApplication TScreen"},
    {L"DB", L"TDataSet TField TFields TDataSource TParam TParams TFieldType TBookmark"},
    {L"Generics.Collections", L"TDictionary TObjectDictionary TPair TObjectList TQueue TStack TList"},
};

const Home kCSharp[] = {
    {L"", L"bool byte sbyte char decimal double float int uint long ulong object short ushort string void"},
    {L"System", L"Object String Int16 Int32 Int64 UInt16 UInt32 UInt64 Byte SByte Boolean Char Decimal Double "
                L"Single DateTime DateTimeOffset TimeSpan Guid Exception ArgumentException "
                L"ArgumentNullException InvalidOperationException NotImplementedException NotSupportedException "
                L"EventHandler EventArgs Array Type Uri IntPtr UIntPtr Nullable Action Func Delegate Random Math "
                L"Convert Attribute IDisposable IComparable ICloneable IFormatProvider Version Enum ValueType "
                L"Tuple Lazy DBNull DayOfWeek StringComparison"},
    {L"System.Collections", L"ArrayList Hashtable IList ICollection IEnumerable IEnumerator IDictionary Queue "
                            L"Stack SortedList BitArray IComparer DictionaryEntry CollectionBase"},
    {L"System.Collections.Generic", L"List Dictionary IList ICollection IEnumerable IEnumerator IDictionary Queue "
                                    L"Stack HashSet SortedList SortedDictionary LinkedList KeyValuePair IComparer "
                                    L"IEqualityComparer ISet IReadOnlyList IReadOnlyCollection"},
    {L"System.IO", L"Stream FileStream MemoryStream StreamReader StreamWriter TextReader TextWriter File FileInfo "
                   L"Directory DirectoryInfo Path BinaryReader BinaryWriter IOException"},
    {L"System.Text", L"StringBuilder Encoding"},
    {L"System.Data", L"DataSet DataTable DataRow DataColumn IDbConnection IDataReader"},
    {L"System.Drawing", L"Color Point Size Rectangle Image Bitmap Font"},
    {L"System.Threading", L"Thread Timer Monitor Mutex"},
    {L"System.Xml", L"XmlDocument XmlNode XmlElement"},
};

using Index = std::multimap<std::wstring, std::wstring>; // name (Delphi: lower case) -> unit

Index Build(Language language)
{
    Index index;
    const Home* begin = language == Language::Delphi ? std::begin(kDelphi) : std::begin(kCSharp);
    const Home* end = language == Language::Delphi ? std::end(kDelphi) : std::end(kCSharp);
    for (const Home* home = begin; home != end; ++home) {
        std::wstring names = home->names;
        for (size_t start = 0; start < names.size();) {
            size_t blank = names.find(L' ', start);
            std::wstring name = names.substr(start, blank - start);
            index.emplace(language == Language::Delphi ? Lower(name) : name, home->unit);
            start = blank == std::wstring::npos ? names.size() : blank + 1;
        }
    }
    return index;
}

const Index& IndexOf(Language language)
{
    static const Index delphi = Build(Language::Delphi), csharp = Build(Language::CSharp);
    return language == Language::Delphi ? delphi : csharp;
}

} // namespace

std::vector<std::wstring> StandardHomes(Language language, const std::wstring& name)
{
    std::vector<std::wstring> homes;
    const Index& index = IndexOf(language);
    auto [from, to] = index.equal_range(language == Language::Delphi ? Lower(name) : name);
    for (auto it = from; it != to; ++it)
        homes.push_back(it->second);
    return homes;
}

bool IsStandardUnit(Language language, const std::wstring& unit)
{
    const Home* begin = language == Language::Delphi ? std::begin(kDelphi) : std::begin(kCSharp);
    const Home* end = language == Language::Delphi ? std::end(kDelphi) : std::end(kCSharp);
    for (const Home* home = begin; home != end; ++home)
        if (language == Language::Delphi ? Lower(home->unit) == Lower(unit) : unit == home->unit)
            return true;
    return false;
}

} // namespace VexloLint
