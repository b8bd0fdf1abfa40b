// COM, as far as the playback graph needs it: result codes, interface identities, reference
// counting, the per-thread initialisation count and object creation by class identity.
//
// Stands in for: CoInitialize/CoInitializeEx/CoUninitialize/CoCreateInstance and IUnknown.
// Relies on: the standard library only.
// Limits: in-process objects only; no marshalling, no aggregation. Apartments are reduced to
// what callers can observe: each thread counts its initialisations and remembers the kind it
// asked for first, so a second request of the other kind fails with RPC_E_CHANGED_MODE and an
// object cannot be created on a thread that has not initialised COM (CO_E_NOTINITIALIZED).
// Interface pointers may be released on any thread.
#pragma once

#include <cstdint>
#include <functional>

namespace dshow {

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;

constexpr HRESULT MakeHResult(uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
constexpr HRESULT RPC_E_CHANGED_MODE = MakeHResult(0x80010106);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0);

// Negative results are failures; S_FALSE ("done, but nothing changed") is a success.
constexpr bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
    return result < 0;
}

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// The root of every interface. Objects live as long as someone holds a reference: AddRef for
// every copy of a pointer that is kept, Release when done. QueryInterface hands out an added
// reference, or nullptr and E_NOINTERFACE.
class IUnknown {
public:
    static constexpr IID Iid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    // Typed form: asks for T's interface and stores it as a T*, so callers never pun pointers.
    template <typename T>
    HRESULT QueryInterface(T** object) {
        void* raw = nullptr;
        const HRESULT result = QueryInterface(T::Iid, &raw);
        *object = static_cast<T*>(raw);
        return result;
    }

protected:
    // Objects die by their last Release, never by delete through an interface.
    virtual ~IUnknown() = default;
};

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// S_OK for the thread's first initialisation, S_FALSE for each further one (which still needs
// its CoUninitialize), RPC_E_CHANGED_MODE when the thread is already initialised as the other
// kind (the count is then unchanged).
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
// Single-threaded kind, as the engine's GUI thread asks for.
HRESULT CoInitialize(void* reserved);
// Undoes one successful initialisation of the calling thread; extra calls are ignored.
void CoUninitialize();
// How many successful initialisations the calling thread has not yet undone.
int CoInitializeCount();

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// Creates an object of the class and asks it for iid. On failure *object is nullptr.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

template <typename T>
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, T** object) {
    void* raw = nullptr;
    const HRESULT result = CoCreateInstance(clsid, outer, context, T::Iid, &raw);
    *object = static_cast<T*>(raw);
    return result;
}

// Replaces the implementation of a class for this process until revoked, the way a process
// registers its own class objects: the latest registration of a class wins. The factory makes
// an object and asks it for iid, with CoCreateInstance's contract. Tests use this to put
// graphs that fail on cue in place of the real one. Returns a cookie for RevokeClassFactory.
using ClassFactory = std::function<HRESULT(REFIID iid, void** object)>;
DWORD RegisterClassFactory(REFCLSID clsid, ClassFactory factory);
void RevokeClassFactory(DWORD cookie);

} // namespace dshow
