// Owner of the texts that IDispatch::Invoke writes into an EXCEPINFO when a
// call fails with DISP_E_EXCEPTION. Starts zeroed; its address goes to Invoke
// as the EXCEPINFO slot, and the three BSTRs are freed with the owner, so a
// caller copies whatever must outlive it. One call per owner.
#pragma once

#include <oleauto.h>

class CScopedExceptionInfo : public EXCEPINFO
{
public:
    CScopedExceptionInfo() noexcept : EXCEPINFO() {}
    ~CScopedExceptionInfo()
    {
        ::SysFreeString(bstrSource);
        ::SysFreeString(bstrDescription);
        ::SysFreeString(bstrHelpFile);
    }
    CScopedExceptionInfo(const CScopedExceptionInfo&) = delete;
    CScopedExceptionInfo& operator=(const CScopedExceptionInfo&) = delete;

    // A callee may leave the texts to a deferred fill-in; runs it once, so
    // that the codes and texts can be read.
    void Complete()
    {
        if (auto fill = pfnDeferredFillIn)
        {
            pfnDeferredFillIn = nullptr;
            fill(this);
        }
    }
};
