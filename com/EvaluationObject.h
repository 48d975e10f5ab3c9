#pragma once
// The objects for scripts. Evaluation runs one whole evaluation on the caller's thread with
// the run's driver (run/RunDriver.h) and time limit, and gives a result: the outcome as the tool
// reports it (exit status, message, JSON document), the agent's answer for an export, and
// the items as a collection of typed objects (from index 0, enumerable). A session's
// outcome is never raised: it is in the result. What is raised (bad arguments, an index
// out of range, a failed export) carries a description in words and the ProgID as source.
#include "com/DispatchObject.h"
#include "com/TVKVerimarkMod.h"

#include <memory>

struct EvaluationRecord;

class CEvaluation final : public DispatchObject<IEvaluation, IID_IEvaluation> {
public:
    HRESULT STDMETHODCALLTYPE Run(VARIANT url, VARIANT document, VARIANT flags, VARIANT timeoutSeconds,
                                  IEvaluationResult** pVal) override;
};

class CEvaluationResult final : public DispatchObject<IEvaluationResult, IID_IEvaluationResult> {
public:
    HRESULT STDMETHODCALLTYPE get_ExitStatus(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Compliant(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Message(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Items(IEvaluationItems** pVal) override;
    HRESULT STDMETHODCALLTYPE get_Summary(IEvaluationSummary** pVal) override;
    HRESULT STDMETHODCALLTYPE ToJson(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE Export(BSTR path) override;

    std::shared_ptr<const EvaluationRecord> record;
};

class CEvaluationItems final : public DispatchObject<IEvaluationItems, IID_IEvaluationItems> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Item(long index, IEvaluationItem** pVal) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** pVal) override;
    // The enumerator is handed out here, not through the type information: a member marked
    // restricted is refused by some implementations of its Invoke.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    std::shared_ptr<const EvaluationRecord> record;
};

class CEvaluationItem final : public DispatchObject<IEvaluationItem, IID_IEvaluationItem> {
public:
    HRESULT STDMETHODCALLTYPE get_Designator(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Result(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ResultType(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_EvaluationTime(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_EvaluationTimeMicroseconds(VARIANT* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Comment(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Passed(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Status(BSTR* pVal) override;

    std::shared_ptr<const EvaluationRecord> record;
    std::size_t index = 0;
};

class CEvaluationSummary final : public DispatchObject<IEvaluationSummary, IID_IEvaluationSummary> {
public:
    HRESULT STDMETHODCALLTYPE get_Total(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Passed(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Failed(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Errors(long* pVal) override;

    std::shared_ptr<const EvaluationRecord> record;
};
