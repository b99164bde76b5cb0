#include "AddinLoader.h"

#include "system/AddinSystemCalls.h"

#include "Console.h"
#include "RegistryTools.h"

#include <vector>

namespace VexloCli {

namespace {

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectFn)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* DllServerFn)();

template <class Fn>
Fn Export(HMODULE module, const char* name)
{
    FARPROC proc = GetProcAddress(module, name);
    // Through void(*)(): the one function pointer type every other converts from quietly.
    return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

std::wstring Plain(const wchar_t* text)
{
    std::wstring out;
    for (const wchar_t* p = text; p && *p; ++p)
        if (*p != L'\r')
            out += *p;
    size_t first = out.find_first_not_of(L'\n');
    if (first == std::wstring::npos)
        return std::wstring();
    out.erase(0, first);
    while (!out.empty() && out.back() == L'\n')
        out.pop_back();
    return out;
}

void TakeErrorInfo(CallFailure& failure)
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return;
    BSTR text = nullptr;
    if (failure.description.empty() && SUCCEEDED(info->GetDescription(&text))) {
        failure.description = Plain(text);
    }
    SysFreeString(text);
    text = nullptr;
    if (failure.source.empty() && SUCCEEDED(info->GetSource(&text)) && text)
        failure.source = text;
    SysFreeString(text);
    info->Release();
}

struct Registration {
    CLSID clsid{};
    std::wstring module;
};

std::optional<Registration> LookUp(const std::wstring& progId)
{
    std::optional<std::wstring> clsidText = ReadRegistryString(HKEY_CLASSES_ROOT, progId + L"\\CLSID", L"");
    if (!clsidText)
        return std::nullopt;
    Registration r;
    if (FAILED(CLSIDFromString(clsidText->c_str(), &r.clsid)))
        return std::nullopt;
    std::optional<std::wstring> module =
        ReadRegistryString(HKEY_CLASSES_ROOT, L"CLSID\\" + *clsidText + L"\\InprocServer32", L"");
    if (!module || module->empty())
        return std::nullopt;
    r.module = *module;
    return r;
}

} // namespace

void HostTrace::operator()(const std::wstring& event) const
{
    if (m_enabled)
        OutLine(L"host: " + event);
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t buffer[64] = {};
    StringFromGUID2(guid, buffer, 64);
    return buffer;
}

HRESULT RunRegistration(const std::wstring& modulePath, bool unregister, const HostTrace& trace)
{
    HMODULE module = LoadLibraryW(modulePath.c_str());
    if (!module)
        throw CliError(ExitAddinLoad, L"cannot load the add-in module " + modulePath);
    const char* name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    DllServerFn function = Export<DllServerFn>(module, name);
    if (!function)
        throw CliError(ExitAddinLoad, modulePath + L" has no export " + ArgumentText(name));
    HRESULT hr = function();
    trace(ArgumentText(name) + L" of " + modulePath + L" -> " + HexCode(hr));
    return hr;
}

RegistrationLock::RegistrationLock(const std::wstring& modulePath)
{
    // The module file itself names the lock: every vexlo that may register it meets there.
    m_file = CreateFileW(modulePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED where = {};
    where.Offset = 0xFFFFFFF0u; // past the end: locking it keeps no reader of the module out
    where.OffsetHigh = 0x7FFFFFFFu;
    m_locked = LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where) != FALSE;
}

RegistrationLock::~RegistrationLock()
{
    if (m_file == INVALID_HANDLE_VALUE)
        return;
    if (m_locked) {
        OVERLAPPED where = {};
        where.Offset = 0xFFFFFFF0u;
        where.OffsetHigh = 0x7FFFFFFFu;
        UnlockFileEx(m_file, 0, 1, 0, &where);
    }
    CloseHandle(m_file);
}

std::unique_ptr<Addin> Addin::Create(const std::wstring& progId, const std::wstring& fallbackModule,
                                     const HostTrace& trace)
{
    // The add-in's registration deletes and writes its keys again: another vexlo looking
    // them up (or registering) meanwhile would find them half made.
    RegistrationLock lock(fallbackModule);
    std::optional<Registration> registration = LookUp(progId);
    HMODULE module = registration ? LoadLibraryW(registration->module.c_str()) : nullptr;
    if (registration && !module)
        trace(L"registered module " + registration->module + L" does not load");
    if (!module) {
        trace(progId + L" is not registered: registering " + fallbackModule);
        HRESULT hr = RunRegistration(fallbackModule, false, trace);
        if (FAILED(hr))
            throw CliError(ExitAddinLoad, L"registering " + fallbackModule + L" failed with HRESULT " + HexCode(hr));
        registration = LookUp(progId);
        if (!registration)
            throw CliError(ExitAddinLoad, progId + L" is still not registered after registering " + fallbackModule);
        module = LoadLibraryW(registration->module.c_str());
        if (!module)
            throw CliError(ExitAddinLoad, L"cannot load the add-in module " + registration->module);
    }
    trace(L"module " + registration->module + L" for " + progId + L" " + GuidText(registration->clsid));
    AnswerSystemCalls(module, registration->module, trace);

    DllGetClassObjectFn getClassObject = Export<DllGetClassObjectFn>(module, "DllGetClassObject");
    if (!getClassObject)
        throw CliError(ExitAddinLoad, registration->module + L" has no export DllGetClassObject");
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(registration->clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory)
        throw CliError(ExitAddinLoad, L"DllGetClassObject for " + progId + L" failed with HRESULT " + HexCode(hr));
    IDispatch* object = nullptr;
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    factory->Release();
    trace(L"CreateInstance " + progId + L" -> " + HexCode(hr));
    if (FAILED(hr) || !object)
        throw CliError(ExitAddinLoad, L"creating " + progId + L" failed with HRESULT " + HexCode(hr));
    return std::unique_ptr<Addin>(new Addin(progId, object, trace));
}

Addin::Addin(std::wstring progId, IDispatch* object, const HostTrace& trace)
    : m_progId(std::move(progId)), m_object(object), m_trace(trace)
{
}

Addin::~Addin() { m_object->Release(); }

bool Addin::Call(const wchar_t* method, IDispatch* application, const std::wstring* internalName,
                 const SHORT* itemType, CallFailure& failure)
{
    failure = CallFailure();
    std::wstring name = method;
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        failure.hr = hr;
        failure.description = L"the add-in does not know the method " + name;
        m_trace(m_progId + L"." + name + L": GetIDsOfNames -> " + HexCode(hr));
        return false;
    }

    // Arguments go last to first.
    VARIANTARG args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    UINT count = 1;
    IDispatch* applicationRef = application;
    BSTR nameArg = nullptr;
    SHORT typeArg = itemType ? *itemType : 0;
    if (internalName) {
        nameArg = SysAllocStringLen(internalName->data(), static_cast<UINT>(internalName->size()));
        args[0].vt = VT_BSTR | VT_BYREF;
        args[0].pbstrVal = &nameArg;
        count = 2;
    } else if (itemType) {
        args[0].vt = VT_I2 | VT_BYREF;
        args[0].piVal = &typeArg;
        count = 2;
    }
    args[count - 1].vt = VT_DISPATCH | VT_BYREF;
    args[count - 1].ppdispVal = &applicationRef;

    DISPPARAMS params = {args, nullptr, count, 0};
    EXCEPINFO exception = {};
    VARIANT result;
    VariantInit(&result);
    UINT argError = 0;
    SetErrorInfo(0, nullptr); // nothing stale is taken for this call's error
    m_trace(L"call " + m_progId + L"." + name + L" (DISPID " + std::to_wstring(id) + L")");
    hr = m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception, &argError);

    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn)
            exception.pfnDeferredFillIn(&exception);
        failure.hr = exception.scode ? exception.scode
                     : exception.wCode ? _com_error::WCodeToHRESULT(exception.wCode)
                                       : hr;
        failure.description = Plain(exception.bstrDescription);
        if (exception.bstrSource)
            failure.source = exception.bstrSource;
        TakeErrorInfo(failure);
    } else if (FAILED(hr)) {
        failure.hr = hr;
        TakeErrorInfo(failure);
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)
            failure.description += (failure.description.empty() ? L"" : L"\n") +
                                   std::wstring(L"argument ") + std::to_wstring(argError) + L" was refused";
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    SysFreeString(nameArg);
    VariantClear(&result);

    m_trace(m_progId + L"." + name + L" -> " + HexCode(FAILED(hr) ? failure.hr : hr));
    return SUCCEEDED(hr);
}

} // namespace VexloCli
