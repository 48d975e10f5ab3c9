// The automation objects over a real session, the agent scripted in virtual time: nothing
// but an HRESULT crosses a member, a session keeps the module loaded until it is closed,
// and apartments calling at once each see a whole session or none.
#include "com/Module.h"
#include "com/EvaluationObject.h"
#include "com/SessionObject.h"
#include "compliance/ComplianceLock.h"
#include "compliance/ComplianceSession.h"
#include "compliance/tests/MachineState.h"
#include "text/ComResource.h"
#include "text/tests/FailingAllocator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace FailingAllocator;

namespace {

template <class Object, class Interface>
UniqueInterface<Interface> Make()
{
    UniqueInterface<Interface> made;
    EXPECT_EQ(Object::template Create<Object>(nullptr, __uuidof(Interface), made.PutVoid()), S_OK);
    return made;
}

const _bstr_t url(L"http://server:52311/cgi-bin/tvkgather.exe/actionsite"), document(L"Baseline");

class Objects : public AgentEnvironment {
protected:
    void AnswerNext(ScriptedAgent& agent, std::string answer)
    {
        agent.Next([this, answer] {
            TakeRequest();
            Answer(answer);
        });
    }
    long Open(ISession* session, ScriptedAgent& agent)
    {
        AnswerNext(agent, ResponseDocument("Open"));
        long result = 99;
        EXPECT_EQ(session->Open(url, document, 0, &result), S_OK);
        return result;
    }
    long Close(ISession* session, ScriptedAgent& agent)
    {
        AnswerNext(agent, ResponseDocument("Close"));
        long result = 99;
        EXPECT_EQ(session->Close(&result), S_OK);
        return result;
    }
};

TEST_F(Objects, OpenChecksItsOutPointerFirstAndAFailedAllocationIsEOutOfMemory)
{
    ScriptedAgent agent;
    agent.pauses.reserve(1000);
    auto session = Make<CSession, ISession>();
    EXPECT_EQ(session.Get()->Open(url, document, 0, nullptr), E_POINTER);
    EXPECT_FALSE(PendingRequest());
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    // Once through, so that what is set up once per process is there before counting.
    ASSERT_EQ(Open(session.Get(), agent), 0);
    ASSERT_EQ(Close(session.Get(), agent), 0);
    // Each allocation of Open in turn fails: E_OUTOFMEMORY from the server's own copies,
    // or a failed Open from the core; never an exception, never a leak, never the lock kept.
    for (long n = 1;; ++n) {
        SCOPED_TRACE(n);
        AnswerNext(agent, ResponseDocument("Open"));
        long result = 99;
        const long before = live;
        FailAt(n);
        HRESULT hr = E_FAIL;
        EXPECT_NO_THROW(hr = session.Get()->Open(url, document, 0, &result));
        FailAt(0);
        if (hr == S_OK && result == 0) {
            EXPECT_EQ(Close(session.Get(), agent), 0);
            break;
        }
        if (hr == S_OK)
            EXPECT_TRUE(result == -16 || result == -17) << result;
        else
            EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
        EXPECT_EQ(live, before);
        DeleteFileW(Wide(requestFile_).c_str());  // a request the failure left for nobody
    }
}

// A client may let go of every object mid-session: the library must stay until Close.
TEST_F(Objects, AnOpenSessionHoldsTheModuleUntilItIsClosed)
{
    ScriptedAgent agent;
    ASSERT_EQ(Module::LockCount(), 0);
    {
        auto session = Make<CSession, ISession>();
        StopAgent();
        EXPECT_EQ(Open(session.Get(), agent), -2);  // a failed Open holds nothing
        EXPECT_EQ(Module::LockCount(), 1);
        agentMutex_.Reset(CreateMutexW(nullptr, FALSE, L"Global\\One Quorlan TVKClient At A Time"));
        DeleteFileW(Wide(requestFile_).c_str());
        EXPECT_EQ(Open(session.Get(), agent), 0);
        EXPECT_EQ(Open(session.Get(), agent), -15);
        EXPECT_EQ(Module::LockCount(), 2);
    }
    EXPECT_EQ(Module::LockCount(), 1);  // no object left, the session still open
    {
        auto other = Make<CSession, ISession>();
        EXPECT_EQ(Close(other.Get(), agent), 0);
        long result = 0;
        EXPECT_EQ(other.Get()->Close(&result), S_OK);
        EXPECT_EQ(result, -6);
    }
    EXPECT_EQ(Module::LockCount(), 0);
}

// Threads in apartments of their own, each with its own objects, poll and read the one
// session while one of them closes it and opens it again and again: every answer is of
// a whole session or of none.
TEST_F(Objects, ApartmentsCallingAtOnceSeeAWholeSessionOrNone)
{
    constexpr int count = 40;
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<ResponseItem><Designator>item-" + std::to_string(i) + "</Designator><Comment>" +
                 std::string(100, 'c') + "</Comment></ResponseItem>";
    // An agent that answers whatever request waits, in the first pause of every exchange
    // (the calls that pause are serialised, so it never runs twice at once).
    ScriptedAgent agent;
    agent.pauses.reserve(100000);
    for (int i = 0; i < 2000; ++i)
        agent.Then([this, items] {
            const std::string request = TakeRequest();
            for (const char* type : {"Open", "Close"})
                if (request.find(std::string(">") + type + "<") != std::string::npos)
                    return Answer(ResponseDocument(type));
            Answer(ProgressResponse(1, items));
        });

    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                auto progress = Make<CProgress, IProgress>();
                auto response = Make<CResponse, IResponse>();
                auto session = Make<CSession, ISession>();
                for (int round = 0; round < 400; ++round) {
                    long state = 0, n = 0, code = 0;
                    if (t == 0 && round % 8 == 0) {
                        session.Get()->Close(&code);
                        if (session.Get()->Open(url, document, 0, &code) != S_OK || code != 0)
                            ++wrong;
                    }
                    if (progress.Get()->SessionProgress(&state) != S_OK || (state != 1 && state != 2))
                        ++wrong;
                    const HRESULT counted = response.Get()->get_ResultCount(&n);
                    if (!(counted == S_OK && n == count) && counted != static_cast<HRESULT>(-8))
                        ++wrong;
                    const int index = round % count;
                    BSTR text = nullptr;
                    const HRESULT hr = response.Get()->get_GetDesignator(index, &text);
                    const UniqueBstr owned(text);
                    if (hr == S_OK ? std::wstring(text) != L"item-" + std::to_wstring(index)
                                   : hr != static_cast<HRESULT>(-8))
                        ++wrong;
                }
                long closed = 0;
                if (t == 0)
                    session.Get()->Close(&closed);
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_FALSE(ComplianceSession::Process().HoldsLock());
    EXPECT_EQ(Module::LockCount(), 0);
}

// Running again and again keeps nothing: every object, record and text a run made goes with
// the last reference to its result (what a script host's memory does beside that is its own).
TEST_F(Objects, RunAgainAndAgainKeepsNothingOfTheRuns)
{
    ScriptedAgent agent;
    agent.always = [this] {
        const std::optional<std::string> pending = PendingRequest();
        if (!pending)
            return;
        TakeRequest();
        if (pending->find("<RequestType>Progress</RequestType>") != std::string::npos)
            Answer(ProgressResponse(1, "\t<ResponseItem><Designator>d</Designator><Result>False</Result>"
                                       "<Comment>c</Comment></ResponseItem>\r\n"));
        else
            Answer(ResponseDocument(pending->find("<RequestType>Open</RequestType>") != std::string::npos ? "Open"
                                                                                                           : "Close"));
    };
    const UniqueInterface<IEvaluation> evaluation = Make<CEvaluation, IEvaluation>();
    VARIANT site, name, absent;
    VariantInit(&absent);
    site.vt = name.vt = VT_BSTR;
    _bstr_t siteText = url, nameText = document;
    site.bstrVal = siteText.GetBSTR();
    name.bstrVal = nameText.GetBSTR();
    const auto once = [&] {
        UniqueInterface<IEvaluationResult> result;
        ASSERT_EQ(evaluation.Get()->Run(site, name, absent, absent, result.Put()), S_OK);
        long status = 0;
        ASSERT_EQ(result.Get()->get_ExitStatus(&status), S_OK);
        ASSERT_EQ(status, 1);
        UniqueInterface<IEvaluationItems> items;
        ASSERT_EQ(result.Get()->get_Items(items.Put()), S_OK);
        UniqueInterface<IEvaluationItem> item;
        ASSERT_EQ(items.Get()->get_Item(0, item.Put()), S_OK);
        BSTR text = nullptr;
        ASSERT_EQ(item.Get()->get_Comment(&text), S_OK);
        SysFreeString(text);
        // For Each's and JScript's Enumerator's way: the enumerator through Invoke, and an
        // item object from it.
        VARIANT enumerable;
        VariantInit(&enumerable);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        ASSERT_EQ(items.Get()->Invoke(DISPID_NEWENUM, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                                      &enumerable, nullptr, nullptr),
                  S_OK);
        ASSERT_EQ(enumerable.vt, VT_UNKNOWN);
        UniqueInterface<IEnumVARIANT> each;
        ASSERT_EQ(enumerable.punkVal->QueryInterface(IID_IEnumVARIANT, each.PutVoid()), S_OK);
        VariantClear(&enumerable);
        VARIANT next;
        VariantInit(&next);
        ULONG fetched = 0;
        ASSERT_EQ(each.Get()->Next(1, &next, &fetched), S_OK);
        EXPECT_EQ(fetched, 1u);
        VariantClear(&next);
        ASSERT_EQ(result.Get()->ToJson(&text), S_OK);
        SysFreeString(text);
        UniqueInterface<IEvaluationSummary> summary;
        ASSERT_EQ(result.Get()->get_Summary(summary.Put()), S_OK);
    };
    // The bytes in use in the process's heap, where the system's allocations (texts handed
    // out, descriptors, the registry's and the files' buffers) are made.
    const auto heapInUse = [] {
        std::uint64_t bytes = 0;
        HeapLock(GetProcessHeap());
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(GetProcessHeap(), &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        HeapUnlock(GetProcessHeap());
        return bytes;
    };
    for (int i = 0; i < 10; ++i)
        once();  // what is made once per process (type information, caches) and settles
    const long before = live;
    const std::uint64_t heapBefore = heapInUse();
    for (int i = 0; i < 150; ++i)
        once();
    EXPECT_EQ(live, before);
    const std::uint64_t heapAfter = heapInUse();
    EXPECT_LT(heapAfter, heapBefore + 150 * 256);  // less than 256 bytes a run
    EXPECT_TRUE(ComplianceLock().Acquire());
}

}  // namespace
