// The Microsoft SOAP Toolkit 3.0 client object as far as the older bulk-job
// client reaches it: the class id of its SoapClient30 object and the vtable of
// its dual ISoapClient interface. Only MSSoapInit2 is called through the
// vtable; the service's operations go through IDispatch by name. The toolkit
// itself is not part of this build: creating the object fails where it is not
// installed.
#pragma once

#include "platform/ComPtr.h"

// SoapClient30, in-process server of MSSOAP30.dll.
const CLSID CLSID_SoapClient30 = {0x7F017F97, 0x9257, 0x11D5, {0x87, 0xEA, 0x00, 0xB0, 0xD0, 0xBE, 0x64, 0x79}};

// Slots 7 to 17, in the type library's order. Every method is an HRESULT
// __stdcall; by-value VARIANTs go as the ABI passes them.
struct ISoapClient : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE MSSoapInit(BSTR wsdlFile, BSTR serviceName, BSTR port, BSTR wsmlFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FaultCode(BSTR* faultCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FaultString(BSTR* faultString) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FaultActor(BSTR* faultActor) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Detail(BSTR* detail) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ClientProperty(BSTR name, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_HeaderHandler(IDispatch* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ClientProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectorProperty(BSTR name, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectorProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE MSSoapInit2(VARIANT wsdlFile, VARIANT wsmlFile, BSTR serviceName, BSTR port,
                                                  BSTR serviceNamespace) = 0;
};

__CRT_UUID_DECL(ISoapClient, 0x7F017F92, 0x9257, 0x11D5, 0x87, 0xEA, 0x00, 0xB0, 0xD0, 0xBE, 0x64, 0x79)
_COM_SMARTPTR_TYPEDEF(ISoapClient, __uuidof(ISoapClient));
