#include "com/EvaluationObject.h"

#include "com/EntryPoint.h"
#include "com/ErrorInformation.h"
#include "com/SessionGate.h"
#include "compliance/ComplianceSession.h"
#include "text/Transcoding.h"
#include "run/ItemStatus.h"
#include "run/JsonReport.h"
#include "run/ResponseExport.h"
#include "run/RunDriver.h"

#include <atomic>
#include <string>

// What one run left, shared by the result and every object taken from it.
struct EvaluationRecord {
    RunRecord run;    // the report counts the items by what they say
    KeptItems items;  // every item, in the answer's order
    bool haveAnswer = false;  // the evaluation completed and its answer was kept
    std::string answer;       // its very bytes
    std::optional<FileLocation> answerLocation;
};

namespace {

// A failure raised to the caller: error information with the words, sourced from the
// registered ProgID as the other objects' failures are.
HRESULT Raise(const IID& iid, HRESULT hr, const std::wstring& description)
{
    SetErrorInformation(iid, CLSID_Evaluation, description.c_str(), L"TVKVerimarkMod.Evaluation.1");
    return hr;
}

HRESULT Text(std::string_view utf8, BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    const std::wstring wide = Wide(utf8);
    *pVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

template <class Derived, class Interface>
HRESULT Make(const IID& iid, const std::shared_ptr<const EvaluationRecord>& record, Interface** out,
             std::size_t index = 0)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Interface* made = nullptr;
    const HRESULT hr = Derived::template Create<Derived>(nullptr, iid, reinterpret_cast<void**>(&made));
    if (FAILED(hr))
        return hr;
    auto* object = static_cast<Derived*>(made);
    object->record = record;
    if constexpr (requires { object->index; })
        object->index = index;
    *out = made;
    return S_OK;
}

// Keeps the answer's bytes while the session still holds it, for an export later.
class AnswerKeeper final : public RunObserver {
public:
    explicit AnswerKeeper(EvaluationRecord& record) : record_(record) {}
    void ResultsReady() override
    {
        class Appender final : public DataReceiver {
        public:
            explicit Appender(std::string& to) : to_(to) {}
            void Begin() override { to_.clear(); }
            void Receive(const char* first, const char* last) override { to_.append(first, last); }
            void End() override {}

        private:
            std::string& to_;
        } appender(record_.answer);
        const ComplianceSession& session = ComplianceSession::Process();
        record_.answerLocation = session.ResponseLocation();
        session.CopyResponse(appender);
        record_.haveAnswer = true;
    }

private:
    EvaluationRecord& record_;
};

// A text argument: a string, or what converts to one; Null, nothing or empty text is refused.
HRESULT TextArgument(const VARIANT& argument, const wchar_t* name, _bstr_t& text)
{
    VARIANT copy;
    VariantInit(&copy);
    const VARIANT* value = &argument;
    while (value->vt == (VT_VARIANT | VT_BYREF) && value->pvarVal)
        value = value->pvarVal;
    const VARTYPE kind = static_cast<VARTYPE>(value->vt & ~VT_BYREF);
    if (kind == VT_NULL || kind == VT_EMPTY || kind == VT_ERROR)
        return Raise(IID_IEvaluation, E_INVALIDARG,
                     std::wstring(name) + L" is missing (Null or nothing): give it as text");
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(value), 0, VT_BSTR)))
        return Raise(IID_IEvaluation, DISP_E_TYPEMISMATCH, std::wstring(name) + L" must be text");
    text = _bstr_t(copy.bstrVal, false);  // takes the string
    if (text.length() == 0)
        return Raise(IID_IEvaluation, E_INVALIDARG, std::wstring(name) + L" is empty: give it as text");
    return S_OK;
}

// A whole-number argument from `low` to `high`; `absent` when the script left it out.
HRESULT WholeArgument(const VARIANT& argument, const wchar_t* name, long low, long high, const wchar_t* range,
                      long absent, long& value)
{
    const VARIANT* given = &argument;
    while (given->vt == (VT_VARIANT | VT_BYREF) && given->pvarVal)
        given = given->pvarVal;
    const VARTYPE kind = static_cast<VARTYPE>(given->vt & ~VT_BYREF);
    if (kind == VT_EMPTY || (kind == VT_ERROR && given->scode == DISP_E_PARAMNOTFOUND)) {
        value = absent;
        return S_OK;
    }
    VARIANT number;
    VariantInit(&number);
    const bool isNumber = kind != VT_BSTR && kind != VT_NULL && kind != VT_ERROR && kind != VT_DISPATCH &&
                          kind != VT_UNKNOWN && SUCCEEDED(VariantChangeType(&number, const_cast<VARIANT*>(given), 0, VT_R8));
    const double n = isNumber ? number.dblVal : 0;
    if (!isNumber || n != static_cast<double>(static_cast<long long>(n)) || n < low || n > high) {
        VARIANT shown;
        VariantInit(&shown);
        std::wstring text = L"what was given";
        if (SUCCEEDED(VariantChangeType(&shown, const_cast<VARIANT*>(given), 0, VT_BSTR)) && shown.bstrVal)
            text = shown.bstrVal;
        VariantClear(&shown);
        return Raise(IID_IEvaluation, E_INVALIDARG,
                     std::wstring(name) + L" must be " + range + L", not " + text);
    }
    value = static_cast<long>(n);
    return S_OK;
}

// Enumerates the items, each as a new item object, for For Each and Enumerator.
class ItemEnumerator final : public IEnumVARIANT {
public:
    ItemEnumerator(std::shared_ptr<const EvaluationRecord> record, std::size_t next)
        : record_(std::move(record)), next_(next)
    {
        Module::Lock();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumVARIANT)) {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override
    {
        return GuardedExport([&] {
            if (fetched)
                *fetched = 0;
            if (!items || (count > 1 && !fetched))
                return E_POINTER;
            const std::size_t total = record_->items.items.size();
            ULONG got = 0;
            for (; got < count && next_ < total; ++got, ++next_) {
                VariantInit(&items[got]);
                IEvaluationItem* item = nullptr;
                if (const HRESULT hr = Make<CEvaluationItem>(IID_IEvaluationItem, record_, &item, next_); FAILED(hr)) {
                    for (ULONG i = 0; i < got; ++i)
                        VariantClear(&items[i]);
                    return hr;
                }
                items[got].vt = VT_DISPATCH;
                items[got].pdispVal = item;
            }
            if (fetched)
                *fetched = got;
            return got == count ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t total = record_->items.items.size();
        const std::size_t left = total - std::min(next_, total);
        next_ = std::min<std::size_t>(total, next_ + count);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new (std::nothrow) ItemEnumerator(record_, next_);
        if (!*copy)
            return E_OUTOFMEMORY;
        (*copy)->AddRef();
        return S_OK;
    }

private:
    ~ItemEnumerator() { Module::Unlock(); }

    std::shared_ptr<const EvaluationRecord> record_;
    std::size_t next_;
    std::atomic<ULONG> references_{0};
};

const ListedItem& ItemOf(const CEvaluationItem& item) { return item.record->items.items[item.index]; }
ItemStatus StatusOfItem(const CEvaluationItem& item) { return StatusOf(ItemOf(item)); }

// A member that hands out a plain value.
template <class Value, class Out>
HRESULT Give(Value value, Out* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        *pVal = static_cast<Out>(value);
        return S_OK;
    });
}

}  // namespace

HRESULT CEvaluation::Run(VARIANT url, VARIANT document, VARIANT flagsArgument, VARIANT timeoutArgument,
                         IEvaluationResult** pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        *pVal = nullptr;
        RunRequest request;
        if (const HRESULT hr = TextArgument(url, L"url", request.url); FAILED(hr))
            return hr;
        if (const HRESULT hr = TextArgument(document, L"document", request.document); FAILED(hr))
            return hr;
        long flags = 0, timeoutSeconds = 0;
        if (const HRESULT hr = WholeArgument(flagsArgument, L"flags", 0, 15, L"a whole number from 0 to 15", 0, flags);
            FAILED(hr))
            return hr;
        if (const HRESULT hr = WholeArgument(timeoutArgument, L"timeoutSeconds", 0, 7 * 86400,
                                             L"0 (no limit) or a whole number of seconds up to 604800", 0,
                                             timeoutSeconds);
            FAILED(hr))
            return hr;
        request.flags = flags;
        RunLimits limits;
        if (timeoutSeconds > 0)
            limits.timeoutSeconds = static_cast<std::uint32_t>(timeoutSeconds);
        auto record = std::make_shared<EvaluationRecord>();
        AnswerKeeper keeper(*record);
        record->run.started = UtcNow();
        {
            // One session per process: a Session object's open session makes this Open
            // fail (-15, status 6) and is left as it is.
            const auto gate = SessionGate::Enter();
            record->run.report = DriveRun(request, limits, keeper, record->items);
        }
        record->run.ended = UtcNow();
        return Make<CEvaluationResult>(IID_IEvaluationResult, std::shared_ptr<const EvaluationRecord>(record), pVal);
    });
}

HRESULT CEvaluationResult::get_ExitStatus(long* pVal)
{
    return Give(static_cast<long>(record->run.report.outcome.status), pVal);
}

HRESULT CEvaluationResult::get_Compliant(VARIANT_BOOL* pVal)
{
    return Give(record->run.report.outcome.status == ExitStatus::Compliant ? VARIANT_TRUE : VARIANT_FALSE, pVal);
}

HRESULT CEvaluationResult::get_Message(BSTR* pVal)
{
    return GuardedMember([&] { return Text(record->run.report.outcome.message, pVal); });
}

HRESULT CEvaluationResult::get_Items(IEvaluationItems** pVal)
{
    return GuardedMember([&] { return Make<CEvaluationItems>(IID_IEvaluationItems, record, pVal); });
}

HRESULT CEvaluationResult::get_Summary(IEvaluationSummary** pVal)
{
    return GuardedMember([&] { return Make<CEvaluationSummary>(IID_IEvaluationSummary, record, pVal); });
}

HRESULT CEvaluationResult::ToJson(BSTR* pVal)
{
    return GuardedMember([&] { return Text(JsonDocument(record->run, record->items), pVal); });
}

HRESULT CEvaluationResult::Export(BSTR path)
{
    return GuardedMember([&] {
        const std::wstring target(path ? path : L"", path ? SysStringLen(path) : 0);
        if (target.empty())
            return Raise(IID_IEvaluationResult, E_INVALIDARG, L"the export needs a file's path");
        if (!record->haveAnswer)
            return Raise(IID_IEvaluationResult, E_FAIL,
                         L"there is no answer to export: the evaluation did not complete (" +
                             Wide(record->run.report.outcome.message) + L")");
        try {
            ExportAnswer(_bstr_t(target.c_str()), record->answerLocation, [&](DataReceiver& sink) {
                sink.Begin();
                sink.Receive(record->answer.data(), record->answer.data() + record->answer.size());
                sink.End();
            });
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            return Raise(IID_IEvaluationResult, E_FAIL,
                         L"the export to " + target + L" failed: " + Wide(FailureReason(e)));
        }
        return S_OK;
    });
}

HRESULT CEvaluationItems::get_Count(long* pVal)
{
    return Give(record->items.items.size(), pVal);
}

HRESULT CEvaluationItems::get_Item(long index, IEvaluationItem** pVal)
{
    return GuardedMember([&] {
        const std::size_t count = record->items.items.size();
        if (index < 0 || static_cast<std::size_t>(index) >= count)
            return Raise(IID_IEvaluationItems, DISP_E_BADINDEX,
                         L"there is no item " + std::to_wstring(index) +
                             (count ? L": the items are numbered from 0 to " + std::to_wstring(count - 1)
                                    : std::wstring(L": there are no items")));
        return Make<CEvaluationItem>(IID_IEvaluationItem, record, pVal, static_cast<std::size_t>(index));
    });
}

HRESULT CEvaluationItems::get__NewEnum(IUnknown** pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        auto* enumerator = new ItemEnumerator(record, 0);
        enumerator->AddRef();
        *pVal = enumerator;
        return S_OK;
    });
}

HRESULT CEvaluationItems::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError)
{
    if (member != DISPID_NEWENUM)
        return DispatchObject::Invoke(member, iid, locale, flags, parameters, result, exception, argumentError);
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)))
        return DISP_E_MEMBERNOTFOUND;
    if (parameters && parameters->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (!result)
        return E_POINTER;
    VariantInit(result);
    IUnknown* enumerator = nullptr;
    const HRESULT hr = get__NewEnum(&enumerator);
    if (SUCCEEDED(hr)) {
        result->vt = VT_UNKNOWN;
        result->punkVal = enumerator;
    }
    return hr;
}

HRESULT CEvaluationItem::get_Designator(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).designator, pVal); });
}
HRESULT CEvaluationItem::get_Result(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).result, pVal); });
}
HRESULT CEvaluationItem::get_ResultType(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).resultType, pVal); });
}
HRESULT CEvaluationItem::get_EvaluationTime(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).evaluationTime, pVal); });
}
HRESULT CEvaluationItem::get_Description(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).description, pVal); });
}
HRESULT CEvaluationItem::get_Comment(BSTR* pVal)
{
    return GuardedMember([&] { return Text(ItemOf(*this).comment, pVal); });
}

HRESULT CEvaluationItem::get_EvaluationTimeMicroseconds(VARIANT* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        VariantInit(pVal);
        // A number scripts read as one (a double holds every microsecond count up to 2^53).
        if (const std::optional<std::int64_t> microseconds = EvaluationMicroseconds(ItemOf(*this).evaluationTime)) {
            pVal->vt = VT_R8;
            pVal->dblVal = static_cast<double>(*microseconds);
        } else {
            pVal->vt = VT_NULL;
        }
        return S_OK;
    });
}

HRESULT CEvaluationItem::get_Passed(VARIANT_BOOL* pVal)
{
    return Give(StatusOfItem(*this) == ItemStatus::Passed ? VARIANT_TRUE : VARIANT_FALSE, pVal);
}

HRESULT CEvaluationItem::get_Status(BSTR* pVal)
{
    return GuardedMember([&] { return Text(StatusName(StatusOfItem(*this)), pVal); });
}

HRESULT CEvaluationSummary::get_Total(long* pVal)
{
    return Give(record->run.report.items.total, pVal);
}
HRESULT CEvaluationSummary::get_Passed(long* pVal)
{
    return Give(record->run.report.items.passed, pVal);
}
HRESULT CEvaluationSummary::get_Failed(long* pVal)
{
    return Give(record->run.report.items.failed, pVal);
}
HRESULT CEvaluationSummary::get_Errors(long* pVal)
{
    return Give(record->run.report.items.errors, pVal);
}
