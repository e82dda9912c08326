#include "classlib/automation/autoobj.h"

#include "classlib/rtl/strutils.h"

TAutoMembers::TAutoMembers(std::initializer_list<TAutoMember> members) {
    for (const TAutoMember& member : members)
        Add(member, false);
}

TAutoMembers::TAutoMembers(const TAutoMembers& parent, std::initializer_list<TAutoMember> members)
    : FMembers(parent.FMembers) {
    for (const TAutoMember& member : members)
        Add(member, true);
}

void TAutoMembers::Add(const TAutoMember& member, bool replace) {
    const AnsiString key = UpperCase(member.Name);
    // Two entries of one name in one table is a slip in the table, not something to settle silently.
    auto [it, added] = FMembers.try_emplace(key, member);
    if (!added) {
        if (!replace) throw EOleError("Member '" + member.Name + "' listed twice");
        it->second = member;
    }
}

const TAutoMember* TAutoMembers::Find(const AnsiString& name) const {
    auto it = FMembers.find(UpperCase(name));
    return it == FMembers.end() ? nullptr : &it->second;
}

void TAutoObject::AddRef() {
    FRefCount.fetch_add(1, std::memory_order_relaxed);
}

void TAutoObject::Release() {
    if (FRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

const TAutoMembers& TAutoObject::Members() const {
    static const TAutoMembers* none = new TAutoMembers;
    return *none;
}

Variant TAutoObject::Invoke(const AnsiString& name, Word flags, TDispArgs args) {
    const TAutoMember* member = Members().Find(name);
    if (!member) return IDispatch::Invoke(name, flags, args);
    if (flags & DISPATCH_PROPERTYPUT) {
        if (member->IsMethod) throw EOleError("Member '" + name + "' is a method and cannot be assigned");
        if (!member->Write) throw EOleError("Property '" + name + "' is read-only");
        member->Write(*this, args);
        return Variant();
    }
    if (!member->Read) throw EOleError("Property '" + name + "' is write-only");
    return member->Read(*this, args);
}

namespace AutoDetail {

void RaiseParamCount(const char* name, std::size_t expected, std::size_t given) {
    throw EOleError("Invalid number of parameters for '" + AnsiString(name) +
                    "': " + std::to_string(expected) + " expected, " + std::to_string(given) + " given");
}

void RaiseRange(const Variant& value) {
    throw EVariantError("Argument out of range: " + VarToStr(value));
}

} // namespace AutoDetail
