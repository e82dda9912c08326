#include "classlib/objects/formloader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "classlib/rtl/strutils.h"

namespace {

struct TFormResource {
    const char* Text = nullptr;
    bool Compiled = false;
    AnsiString Binary;
    TLineMap Lines;
};

std::recursive_mutex& ResourcesMutex() {
    static std::recursive_mutex m;
    return m;
}

std::map<AnsiString, TFormResource, TIdentLess>& Resources() {
    static std::map<AnsiString, TFormResource, TIdentLess> resources;
    return resources;
}

// The compiled form of a class's stream, or nil.
const TFormResource* FindResource(TClass cls) {
    std::lock_guard<std::recursive_mutex> lock(ResourcesMutex());
    auto it = Resources().find(cls->ClassName());
    if (it == Resources().end()) return nullptr;
    TFormResource& r = it->second;
    if (!r.Compiled) {
        try {
            r.Binary = ObjectTextToBinary(r.Text, &r.Lines);
        } catch (const EReadError& e) {
            throw EReadError(e.Message() + " (stream of " + cls->ClassName() + ")");
        }
        r.Compiled = true;
    }
    return &r;
}

// Keeps the lists of a load free of components that were freed while it ran.
class TLoadTracker : public TComponent {
public:
    explicit TLoadTracker(TLoadContext& context) : TComponent(nullptr), FContext(context) {}
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation != opRemove) return;
        auto drop = [component](std::vector<TComponent*>& list) {
            list.erase(std::remove(list.begin(), list.end(), component), list.end());
        };
        drop(FContext.Created);
        drop(FContext.Loaded);
        auto& f = FContext.Fixups;
        f.erase(std::remove_if(f.begin(), f.end(),
                               [component](const TLoadContext::TFixup& x) {
                                   return x.Component == component || x.Root == component ||
                                          x.Instance == component;
                               }),
                f.end());
    }

private:
    TLoadContext& FContext;
};

std::mutex& GlobalMutex() {
    static std::mutex m;
    return m;
}

std::vector<TLoadContext::TFixup>& Pending() {
    static std::vector<TLoadContext::TFixup> pending;
    return pending;
}

std::map<int, TFindGlobalComponent>& Finders() {
    static std::map<int, TFindGlobalComponent> finders;
    return finders;
}

TComponent* ResolveReference(TComponent* root, const AnsiString& name) {
    std::vector<AnsiString> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = name.find('.', start);
        parts.push_back(name.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start));
        if (dot == AnsiString::npos) break;
        start = dot + 1;
    }
    TComponent* c = nullptr;
    if (root) {
        c = root->FindComponent(parts[0]);
        if (!c && SameIdent(root->Name(), parts[0])) c = root;
    }
    if (!c) c = FindGlobalComponent(parts[0]);
    for (std::size_t i = 1; c && i < parts.size(); ++i)
        c = c->FindComponent(parts[i]);
    return c;
}

} // namespace

// ---- resources ----

void RegisterFormResource(const AnsiString& className, const char* text) {
    std::lock_guard<std::recursive_mutex> lock(ResourcesMutex());
    TFormResource& r = Resources()[className];
    r = TFormResource();
    r.Text = text;
}

void UnRegisterFormResource(const AnsiString& className) {
    std::lock_guard<std::recursive_mutex> lock(ResourcesMutex());
    Resources().erase(className);
}

bool HasFormResource(TClass cls) {
    std::lock_guard<std::recursive_mutex> lock(ResourcesMutex());
    return cls && Resources().count(cls->ClassName()) != 0;
}

TFormResourceRegistration::TFormResourceRegistration(const char* className, const char* text)
    : FClassName(className) {
    RegisterFormResource(FClassName, text);
}

TFormResourceRegistration::~TFormResourceRegistration() {
    UnRegisterFormResource(FClassName);
}

// ---- the load ----

TLoadContext::TLoadContext() : Tracker(new TLoadTracker(*this)) {}

TLoadContext::~TLoadContext() {
    delete Tracker;
}

void TLoadContext::AddCreated(TComponent* component) {
    Created.push_back(component);
    component->FreeNotification(Tracker);
}

bool TReader::ReadClassStreams(TComponent* instance, TLoadContext& context) {
    if (++context.Depth > 32)
        throw EReadError("Error reading " + instance->ClassName() + ": streams nested too deeply");
    std::vector<TClass> chain;
    for (TClass c = instance->ClassType(); c && c != TComponent::StaticClass(); c = c->ClassParent())
        if (HasFormResource(c)) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TFormResource* resource = FindResource(*it);
        TMemoryStream stream;
        stream.WriteBuffer(resource->Binary.data(), static_cast<Int64>(resource->Binary.size()));
        stream.SetPosition(0);
        TReader reader(stream);
        reader.SetContext(&context);
        reader.SetLineMap(&resource->Lines);
        reader.SetSourceName((*it)->ClassName());
        reader.ReadRootComponent(instance);
    }
    --context.Depth;
    return !chain.empty();
}

void TReader::FinishLoad(TLoadContext& context) {
    std::vector<TLoadContext::TFixup> unresolved;
    // Setting a reference may run code that frees a component; the tracker keeps the lists current.
    while (!context.Fixups.empty()) {
        TLoadContext::TFixup f = context.Fixups.front();
        context.Fixups.erase(context.Fixups.begin());
        if (TComponent* target = ResolveReference(f.Root, f.Name)) {
            try {
                f.Prop->SetObject(f.Instance, target);
            } catch (const Exception& e) {
                AnsiString who = f.Component ? f.Component->Name() : AnsiString("stream");
                throw EReadError("Error reading " + who + "." + f.Prop->Name() + ": " + e.Message());
            }
        } else {
            unresolved.push_back(f);
        }
    }
    for (TComponent* c : context.Loaded)
        c->FComponentState.Exclude(csReading);
    for (std::size_t i = 0; i < context.Loaded.size(); ++i) {
        TComponent* c = context.Loaded[i];
        c->Loaded();
    }
    std::vector<TComponent*> roots;
    for (TComponent* c : context.Loaded)
        if (std::find(context.Loaded.begin(), context.Loaded.end(), c->Owner()) == context.Loaded.end())
            roots.push_back(c);
    for (TComponent* root : roots)
        if (std::find(context.Loaded.begin(), context.Loaded.end(), root) != context.Loaded.end())
            root->LoadCompleted();
    context.Created.clear();
    {
        std::lock_guard<std::mutex> lock(GlobalMutex());
        for (auto& f : unresolved)
            Pending().push_back(f);
    }
    GlobalFixupReferences();
}

void TReader::AbandonLoad(TLoadContext& context) {
    context.Fixups.clear();
    while (!context.Created.empty()) {
        TComponent* c = context.Created.back();
        context.Created.pop_back();
        c->Free(); // the tracker drops it (and what it owned) from the lists
    }
    for (TComponent* c : context.Loaded) {
        c->FComponentState.Exclude(csLoading);
        c->FComponentState.Exclude(csReading);
    }
    context.Loaded.clear();
}

bool InitInheritedComponent(TComponent* instance) {
    // A frame on a frame reads its streams inside the outer load; a class that holds itself would never end.
    thread_local int nesting = 0;
    if (nesting >= 32)
        throw EReadError("Error reading " + instance->ClassName() + ": streams nested too deeply");
    struct TNesting {
        TNesting() { ++nesting; }
        ~TNesting() { --nesting; }
    } guard;
    TLoadContext context;
    bool any;
    try {
        any = TReader::ReadClassStreams(instance, context);
        TReader::FinishLoad(context);
    } catch (...) {
        TReader::AbandonLoad(context);
        throw;
    }
    return any;
}

void ReadComponentFromText(TComponent* root, const AnsiString& text) {
    TLineMap lines;
    AnsiString binary = ObjectTextToBinary(text, &lines);
    TMemoryStream stream;
    stream.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
    stream.SetPosition(0);
    TReader reader(stream);
    reader.SetLineMap(&lines);
    reader.ReadRootComponent(root);
}

AnsiString WriteComponentToText(TComponent* root, TComponent* ancestor) {
    return ObjectBinaryToText(WriteComponentToBinary(root, ancestor));
}

// ---- references between roots ----

int RegisterFindGlobalComponent(TFindGlobalComponent find) {
    std::lock_guard<std::mutex> lock(GlobalMutex());
    static int next = 0;
    Finders()[++next] = std::move(find);
    return next;
}

void UnRegisterFindGlobalComponent(int handle) {
    std::lock_guard<std::mutex> lock(GlobalMutex());
    Finders().erase(handle);
}

TComponent* FindGlobalComponent(const AnsiString& name) {
    std::vector<TFindGlobalComponent> finders;
    {
        std::lock_guard<std::mutex> lock(GlobalMutex());
        for (auto& [h, f] : Finders())
            finders.push_back(f);
    }
    for (auto& f : finders)
        if (TComponent* c = f(name)) return c;
    return nullptr;
}

void GlobalFixupReferences() {
    std::vector<TLoadContext::TFixup> pending;
    {
        std::lock_guard<std::mutex> lock(GlobalMutex());
        pending.swap(Pending());
    }
    std::vector<TLoadContext::TFixup> still;
    for (auto& f : pending) {
        TComponent* target = ResolveReference(f.Root, f.Name);
        if (!target) {
            still.push_back(f);
            continue;
        }
        try {
            f.Prop->SetObject(f.Instance, target);
        } catch (const Exception&) {
            // A reference that cannot be set is dropped: the load that made it has finished.
        }
    }
    std::lock_guard<std::mutex> lock(GlobalMutex());
    for (auto& f : still)
        Pending().push_back(f);
}

int PendingFixupCount() {
    std::lock_guard<std::mutex> lock(GlobalMutex());
    return static_cast<int>(Pending().size());
}

void RemoveFixupReferences(TComponent* component) {
    std::lock_guard<std::mutex> lock(GlobalMutex());
    auto& p = Pending();
    if (p.empty()) return;
    p.erase(std::remove_if(p.begin(), p.end(),
                           [component](const TLoadContext::TFixup& f) {
                               return f.Component == component || f.Root == component ||
                                      f.Instance == component;
                           }),
            p.end());
}
