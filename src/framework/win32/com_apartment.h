// COM for the shell's dialogs and handlers on the calling thread, for as long as the object lives:
// a single-threaded apartment, as the shell asks of its callers.
#pragma once

#include <objbase.h>

class ComApartment {
  public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False where the thread had already joined the multithreaded apartment.
    bool SingleThreaded() const { return result_ != RPC_E_CHANGED_MODE; }

  private:
    HRESULT result_;
};
