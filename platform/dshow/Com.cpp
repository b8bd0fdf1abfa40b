#include "platform/dshow/Com.h"

#include "platform/dshow/DShow.h"
#include "platform/dshow/FilterGraph.h"

#include <mutex>
#include <vector>

namespace dshow {

namespace {

// Each thread's own initialisation state, as the system keeps it per thread.
thread_local int tInitCount = 0;
thread_local DWORD tInitKind = COINIT_APARTMENTTHREADED;

struct Registration {
    DWORD Cookie;
    CLSID Clsid;
    ClassFactory Factory;
};

std::mutex gRegistryLock;
std::vector<Registration> gRegistrations;
DWORD gNextCookie = 1;

// The classes this layer implements itself.
struct BuiltInClass {
    const CLSID& Clsid;
    HRESULT (*Create)(REFIID iid, void** object);
};

const BuiltInClass kBuiltInClasses[] = {
    {CLSID_FilterGraph, &FilterGraph::CreateInstance},
};

} // namespace

HRESULT CoInitializeEx(void*, DWORD coInit) {
    const DWORD kind = coInit & COINIT_APARTMENTTHREADED;
    if (tInitCount > 0 && kind != tInitKind)
        return RPC_E_CHANGED_MODE;
    tInitKind = kind;
    return ++tInitCount == 1 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(void* reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize() {
    if (tInitCount > 0)
        --tInitCount;
}

int CoInitializeCount() {
    return tInitCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (tInitCount == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if ((context & CLSCTX_INPROC) == 0)
        return REGDB_E_CLASSNOTREG;

    ClassFactory registered;
    {
        std::lock_guard lock(gRegistryLock);
        for (auto it = gRegistrations.rbegin(); it != gRegistrations.rend(); ++it) {
            if (it->Clsid == clsid) {
                registered = it->Factory;
                break;
            }
        }
    }
    // Called outside the lock: a factory may create further objects.
    if (registered)
        return registered(iid, object);
    for (const BuiltInClass& builtIn : kBuiltInClasses) {
        if (builtIn.Clsid == clsid)
            return builtIn.Create(iid, object);
    }
    return REGDB_E_CLASSNOTREG;
}

DWORD RegisterClassFactory(REFCLSID clsid, ClassFactory factory) {
    std::lock_guard lock(gRegistryLock);
    const DWORD cookie = gNextCookie++;
    gRegistrations.push_back({cookie, clsid, std::move(factory)});
    return cookie;
}

void RevokeClassFactory(DWORD cookie) {
    std::lock_guard lock(gRegistryLock);
    std::erase_if(gRegistrations, [cookie](const Registration& r) { return r.Cookie == cookie; });
}

} // namespace dshow
