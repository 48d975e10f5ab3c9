#include "com/ErrorInformation.h"

#include "text/ComResource.h"

void SetErrorInformation(const IID& iid, const CLSID& clsid, const wchar_t* description, const wchar_t* fallbackSource)
{
    UniqueInterface<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Put())))
        return;
    create.Get()->SetGUID(iid);
    UniqueTaskString progId;
    if (SUCCEEDED(ProgIDFromCLSID(clsid, progId.Put())) && progId)
        create.Get()->SetSource(progId.Get());
    else if (fallbackSource)
        create.Get()->SetSource(const_cast<LPOLESTR>(fallbackSource));
    create.Get()->SetDescription(const_cast<LPOLESTR>(description));
    UniqueInterface<IErrorInfo> info;
    if (SUCCEEDED(create.Query(info)))
        SetErrorInfo(0, info.Get());
}
