// Cost of reaching the host through the wrappers.
//
//   GetName/Wrapper       CVXClass::GetName: QueryInterface for IRoseClass's item face,
//                         IDispatch::Invoke by DISPID, the BSTR taken over, the
//                         translation region around it
//   GetName/Invoke        the same member called directly on the stand-in's object
//                         (one Invoke, the result cleared)
//   GetName/ModelField    the stand-in's own C++ data: copying the class's name
//   InheritsFrom/Hit      a class at the bottom of a 20-deep chain asked for the top
//   InheritsFrom/Miss     the same walk for a class outside the chain
//   InheritsFrom/ModelWalk the Hit walk done on the stand-in's own C++ data (unique ids
//                         compared, as the wrappers do): the floor for InheritsFrom
//
// Compare the time of Wrapper with Invoke: the difference is the wrappers' own share.
// The "allocs" counter is the number of operator new calls per iteration (the host's
// own strings included); Wrapper and Invoke should show the same count.
#include <benchmark/benchmark.h>

#include "Automation.h"
#include "RoseHostIds.h"
#include "RoseModel.h"
#include "VXClass.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace
{
    std::atomic<long long> g_allocations{0};
}

// Out of line, so that no caller sees the malloc/free pair behind new and delete.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace
{
    using LmLib::CLmPtr;
    using LmLib::Values::CLmBSTR;
    using namespace RoseHost;

    constexpr int kDepth = 20;

    // Chain[0] inherits from Chain[1] ... up to Chain[kDepth]; Outsider stands alone.
    struct ChainModel
    {
        std::shared_ptr<Model> model = std::make_shared<Model>();
        std::vector<Class*> chain;
        Class* outsider = nullptr;
        std::unique_ptr<AutomationHost> host;

        ChainModel()
        {
            model->name = L"Bench";
            model->quid = L"Q-MODEL";
            Category* root = model->Create<Category>(model.get());
            root->name = L"Logical View";
            root->isRoot = true;
            model->rootCategory = root;
            for (int i = 0; i <= kDepth; ++i)
                chain.push_back(AddClass(root, L"Level" + std::to_wstring(i)));
            outsider = AddClass(root, L"Outsider");
            for (int i = 0; i < kDepth; ++i)
            {
                Relation* r = model->Create<Relation>(chain[i], ElementKind::InheritRelation);
                r->quid = chain[i]->quid + L"-inherit";
                r->client = chain[i];
                r->supplier = chain[i + 1];
                chain[i]->superclasses.push_back(r);
            }
            host = std::make_unique<AutomationHost>(model);
        }

        Class* AddClass(Category* root, const std::wstring& name)
        {
            Class* c = model->Create<Class>(root);
            c->name = name;
            c->quid = L"Q-" + name;
            c->parentCategory = root;
            root->classes.push_back(c);
            model->allClasses.push_back(c);
            model->IndexQuid(c);
            return c;
        }

        CLmPtr<CVXClass> Wrap(Class* c) const
        {
            IDispatch* object = host->CreateElementObject(*c);
            CLmPtr<CVXClass> wrapper = CVXClass::Create(CLmPtr<LmLib::Object::CLmRefsObject>(), object);
            object->Release();
            return wrapper;
        }
    };

    ChainModel& Bench()
    {
        static ChainModel model;
        return model;
    }

    void Allocations(benchmark::State& state, long long before)
    {
        state.counters["allocs"] =
            benchmark::Counter(static_cast<double>(g_allocations - before), benchmark::Counter::kAvgIterations);
    }

    void GetNameWrapper(benchmark::State& state)
    {
        CLmPtr<CVXClass> cls = Bench().Wrap(Bench().chain[0]);
        long long before = g_allocations;
        for (auto _ : state)
        {
            CLmBSTR name = cls->GetName();
            benchmark::DoNotOptimize(name.GetBSTR());
        }
        Allocations(state, before);
    }
    BENCHMARK(GetNameWrapper)->Name("GetName/Wrapper");

    void GetNameInvoke(benchmark::State& state)
    {
        IDispatch* object = Bench().host->CreateElementObject(*Bench().chain[0]);
        long long before = g_allocations;
        for (auto _ : state)
        {
            VARIANT result;
            VariantInit(&result);
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            HRESULT hr = object->Invoke(Disp::Class::Name, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                        &result, nullptr, nullptr);
            benchmark::DoNotOptimize(hr);
            benchmark::DoNotOptimize(result.bstrVal);
            VariantClear(&result);
        }
        Allocations(state, before);
        object->Release();
    }
    BENCHMARK(GetNameInvoke)->Name("GetName/Invoke");

    void GetNameModelField(benchmark::State& state)
    {
        const Class* cls = Bench().chain[0];
        long long before = g_allocations;
        for (auto _ : state)
        {
            std::wstring name = cls->name;
            benchmark::DoNotOptimize(name.data());
        }
        Allocations(state, before);
    }
    BENCHMARK(GetNameModelField)->Name("GetName/ModelField");

    void InheritsFromHit(benchmark::State& state)
    {
        CLmPtr<CVXClass> bottom = Bench().Wrap(Bench().chain[0]);
        CLmPtr<CVXClass> top = Bench().Wrap(Bench().chain[kDepth]);
        for (auto _ : state)
            benchmark::DoNotOptimize(bottom->InheritsFrom(top));
        if (!bottom->InheritsFrom(top))
            state.SkipWithError("the chain is broken");
    }
    BENCHMARK(InheritsFromHit)->Name("InheritsFrom/Hit");

    void InheritsFromMiss(benchmark::State& state)
    {
        CLmPtr<CVXClass> bottom = Bench().Wrap(Bench().chain[0]);
        CLmPtr<CVXClass> outsider = Bench().Wrap(Bench().outsider);
        for (auto _ : state)
            benchmark::DoNotOptimize(bottom->InheritsFrom(outsider));
    }
    BENCHMARK(InheritsFromMiss)->Name("InheritsFrom/Miss");

    bool ModelInheritsFrom(const Class& cls, const std::wstring& otherId)
    {
        for (const Relation* relation : cls.superclasses)
        {
            const Class* supplier = static_cast<const Class*>(relation->supplier);
            if (supplier->quid == otherId || ModelInheritsFrom(*supplier, otherId))
                return true;
        }
        return false;
    }

    void InheritsFromModelWalk(benchmark::State& state)
    {
        const Class& bottom = *Bench().chain[0];
        const Class& top = *Bench().chain[kDepth];
        for (auto _ : state)
            benchmark::DoNotOptimize(ModelInheritsFrom(bottom, top.quid));
    }
    BENCHMARK(InheritsFromModelWalk)->Name("InheritsFrom/ModelWalk");
}

BENCHMARK_MAIN();
