#pragma once

#include <QObject>

#include <optional>
#include <utility>

/// Calls `fn` with the current value of `getter` at once, then again after
/// every `signal`. The connection dies with `context`.
template <typename Obj, typename Getter, typename Signal, typename Fn>
QMetaObject::Connection observe(Obj* obj, Getter getter, Signal signal, QObject* context, Fn fn)
{
    fn((obj->*getter)());
    return QObject::connect(obj, signal, context, [obj, getter, fn]() mutable { fn((obj->*getter)()); });
}

/// Like observe(), but calls `fn` only when the value differs from the last
/// one delivered (duplicates removed by the subscriber).
template <typename Obj, typename Getter, typename Signal, typename Fn>
QMetaObject::Connection observeDistinct(Obj* obj, Getter getter, Signal signal, QObject* context, Fn fn)
{
    using Value = std::decay_t<decltype((obj->*getter)())>;
    auto last = std::make_shared<std::optional<Value>>();
    return observe(obj, getter, signal, context, [last, fn](const Value& v) mutable {
        if (*last && **last == v)
            return;
        *last = v;
        fn(v);
    });
}
