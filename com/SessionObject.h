#pragma once
// The three objects scripts create: Session opens and closes the process's compliance
// session, Progress polls it, Response reads its items.
#include "com/DispatchObject.h"
#include "com/TVKVerimarkMod.h"

class CSession final : public DispatchObject<ISession, IID_ISession> {
public:
    HRESULT STDMETHODCALLTYPE Open(BSTR url, BSTR doc, long flags, long* pVal) override;
    HRESULT STDMETHODCALLTYPE Close(long* pVal) override;
};

class CProgress final : public DispatchObject<IProgress, IID_IProgress> {
public:
    HRESULT STDMETHODCALLTYPE SessionProgress(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetPercent(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetError(long* pVal) override;

private:
    long percent_ = 0;
    long error_ = 0;
};

class CResponse final : public DispatchObject<IResponse, IID_IResponse> {
public:
    HRESULT STDMETHODCALLTYPE get_ResultCount(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetDescription(long index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetRelevanceResult(long index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetDesignator(long index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetComment(long index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetResultType(long index, BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GetEvalTime(long index, BSTR* pVal) override;
};
