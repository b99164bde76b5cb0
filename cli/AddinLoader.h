// Finding, loading and calling the add-in the way Rose does: ProgID -> CLSID ->
// InprocServer32 through the registry, the module's DllGetClassObject, the class
// factory, and the five callbacks through IDispatch::GetIDsOfNames and Invoke.
//
// Modules stay loaded until the process ends, as in a host that keeps its in-process
// servers for its whole session; the run is short, and what a module keeps for the
// process's life stays reachable.
#pragma once

#include "vxplat/Com.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <memory>
#include <optional>
#include <string>

namespace VexloCli {

// Host events for --trace-host, printed to standard output as "host: ...".
class HostTrace {
public:
    explicit HostTrace(bool enabled) : m_enabled(enabled) {}
    bool Enabled() const { return m_enabled; }
    void operator()(const std::wstring& event) const;

private:
    bool m_enabled;
};

// What a failed callback left: its result and the COM error information.
struct CallFailure {
    HRESULT hr = S_OK;
    std::wstring description; // CR LF made plain line ends, leading blank lines dropped
    std::wstring source;
};

std::wstring GuidText(const GUID& guid);

// Registrations and registry look-ups of the add-in go one process at a time while the
// object lives (a lock on the module file; nothing when the file cannot be opened).
class RegistrationLock {
public:
    explicit RegistrationLock(const std::wstring& modulePath);
    ~RegistrationLock();
    RegistrationLock(const RegistrationLock&) = delete;
    RegistrationLock& operator=(const RegistrationLock&) = delete;

private:
    HANDLE m_file;
    bool m_locked = false;
};

// Loads the module and runs DllRegisterServer (or DllUnregisterServer). Throws CliError
// (ExitAddinLoad) when the module or the export is missing; returns the export's result.
HRESULT RunRegistration(const std::wstring& modulePath, bool unregister, const HostTrace& trace);

class Addin {
public:
    // Creates the COM object registered under the ProgID. When the ProgID is not
    // registered (or its module does not load), `fallbackModule` is registered first.
    // Throws CliError (ExitAddinLoad).
    static std::unique_ptr<Addin> Create(const std::wstring& progId, const std::wstring& fallbackModule,
                                         const HostTrace& trace);
    ~Addin();
    Addin(const Addin&) = delete;
    Addin& operator=(const Addin&) = delete;

    const std::wstring& ProgId() const { return m_progId; }

    // One callback, passing the application by reference (VT_DISPATCH | VT_BYREF) and,
    // when given, the internal name (VT_BSTR | VT_BYREF) or the item type
    // (VT_I2 | VT_BYREF). Returns false and fills `failure` when it failed.
    bool Call(const wchar_t* method, IDispatch* application, const std::wstring* internalName, const SHORT* itemType,
              CallFailure& failure);

private:
    Addin(std::wstring progId, IDispatch* object, const HostTrace& trace);

    std::wstring m_progId;
    IDispatch* m_object;
    HostTrace m_trace;
};

} // namespace VexloCli
