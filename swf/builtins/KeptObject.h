#pragma once

#include "swf/script/ScriptEngine.h"

#include <QString>

namespace swf {

// Keeps a script object alive, whatever else reaches it, for as long as
// this lives: while a load of its is under way, say.
class KeptObject {
public:
    KeptObject(ScriptEngine &engine, ScriptObject *object)
        : m_engine(engine), m_key(QStringLiteral("loading %1").arg(++s_count))
    {
        m_engine.keep(m_key, object);
    }
    ~KeptObject() { m_engine.release(m_key); }
    KeptObject(const KeptObject &) = delete;
    KeptObject &operator=(const KeptObject &) = delete;

private:
    ScriptEngine &m_engine;
    QString m_key;
    static inline quint64 s_count = 0;
};

} // namespace swf
