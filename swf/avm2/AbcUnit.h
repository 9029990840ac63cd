#pragma once

#include "swf/avm2/AbcFile.h"
#include "swf/avm2/Class.h"

#include <map>
#include <memory>
#include <vector>

namespace swf::avm2 {

class Runtime;

// A block loaded into the virtual machine: its pools turned into the
// runtime's namespaces and names, its methods, and the classes its code has
// created so far.
class AbcUnit {
public:
    AbcUnit(Runtime &rt, AbcFile file);

    const AbcFile file;
    std::vector<const Namespace *> namespaces;
    std::vector<std::vector<const Namespace *>> nsSets;
    // Each multiname with its fixed parts; a run-time name or namespace is
    // filled in by the instruction.
    std::vector<Multiname> multinames;
    std::vector<std::unique_ptr<Method>> methods;
    std::vector<Class *> classes; // by class index, once created

    Method *method(uint32_t index) const { return index < methods.size() ? methods[index].get() : nullptr; }
    Value constant(const AbcConstant &constant) const;
    const QString &string(uint32_t index) const;
    // The class a type name refers to (nullptr: any, or not defined yet).
    Class *resolveType(uint32_t multiname);
    Class *resolveType(const Multiname &name);

    // Binds a trait list into traits; owner is the class for methods, scope
    // what they run in.
    void bindTraits(Traits &traits, const std::vector<AbcTrait> &list, Class *owner, bool isStatic,
                    const SavedScope &scope);
    // The newclass instruction: the class of index over base, in scope.
    Class *newClass(uint32_t index, Class *base, const SavedScope &scope);
    // A class for an activation or catch scope's traits.
    Class *activationClass(Method *method);
    Class *catchClass(const AbcException &handler);

    void mark(const Marker &marker) const;

private:
    Runtime &m_rt;
    std::vector<Class *> m_activationClasses;
    std::map<const AbcException *, Class *> m_catchClasses;
};

} // namespace swf::avm2
