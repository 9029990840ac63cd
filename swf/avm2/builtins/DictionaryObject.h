#pragma once

#include "swf/avm2/Object.h"

#include <QHash>

#include <vector>

namespace swf::avm2 {

// A flash.utils.Dictionary: objects are keys by identity, every other key
// by its text. Entries keep the order they were added in for for..in.
class DictionaryObject : public Object {
public:
    using Object::Object;

    bool getOwn(Runtime &rt, const Multiname &name, Value &out) override;
    bool setOwn(Runtime &rt, const Multiname &name, const Value &value) override;
    bool hasOwn(Runtime &rt, const Multiname &name) override;
    bool deleteOwn(Runtime &rt, const Multiname &name) override;
    bool getByKey(Runtime &rt, const Value &key, Value &out) override;
    bool setByKey(Runtime &rt, const Value &key, const Value &value) override;
    bool hasByKey(Runtime &rt, const Value &key, bool &has) override;
    bool deleteByKey(Runtime &rt, const Value &key, bool &deleted) override;
    int nextIndex(Runtime &rt, int index) override;
    Value nameAt(Runtime &rt, int index) override;
    Value valueAt(Runtime &rt, int index) override;
    bool propertyIsEnumerable(const QString &name) const override;
    void mark(const Marker &marker) const override;

private:
    struct Entry {
        Value key;
        QString text; // the lookup text of a key that is no object
        Value value;
        bool deleted = false;
    };

    static bool isPlainName(const Multiname &name) { return !name.anyName && name.hasPublic() && !name.attribute; }
    // The entry's number, or -1.
    int find(Runtime &rt, const Value &key) const;
    int findText(const QString &text) const { return m_byText.value(text, -1); }
    void put(Runtime &rt, const Value &key, const Value &value);
    void erase(int entry);
    void compact();

    std::vector<Entry> m_entries;
    QHash<QString, int> m_byText;
    QHash<const Object *, int> m_byObject;
    int m_deleted = 0;
};

} // namespace swf::avm2
