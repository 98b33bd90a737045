#pragma once

#include <QAbstractItemModel>
#include <QStringList>

#include <functional>
#include <utility>

/// What a view holds of a model's rows, learnt from the row notifications
/// alone, and those notifications as text ("insert 0-1", "move 1->0",
/// "change 0 name preview", "reset").
template <typename Row> struct ModelMirror {
    ModelMirror(QAbstractItemModel& model, std::function<Row(int)> value)
    {
        using M = QAbstractItemModel;
        const auto load = [this, &model, value] {
            rows.clear();
            for (int i = 0; i < model.rowCount(); ++i)
                rows.append(value(i));
        };
        load();
        QObject::connect(&model, &M::rowsInserted, &context, [this, value](const QModelIndex&, int first, int last) {
            events << QStringLiteral("insert %1-%2").arg(first).arg(last);
            for (int i = first; i <= last; ++i)
                rows.insert(i, value(i));
        });
        QObject::connect(&model, &M::rowsRemoved, &context, [this](const QModelIndex&, int first, int last) {
            events << QStringLiteral("remove %1-%2").arg(first).arg(last);
            rows.remove(first, last - first + 1);
        });
        QObject::connect(
            &model, &M::rowsMoved, &context, [this](const QModelIndex&, int first, int last, const QModelIndex&, int to) {
                events << QStringLiteral("move %1->%2").arg(first).arg(to);
                const QList<Row> moved = rows.mid(first, last - first + 1);
                rows.remove(first, moved.size());
                for (int i = 0; i < moved.size(); ++i)
                    rows.insert((to > first ? to - int(moved.size()) : to) + i, moved[i]);
            });
        QObject::connect(&model, &M::modelReset, &context, [this, load] {
            events << "reset";
            ++resets;
            load();
        });
        QObject::connect(&model, &M::dataChanged, &context,
            [this, value, &model](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                for (int row = from.row(); row <= to.row(); ++row) {
                    events << QStringLiteral("change %1").arg(row);
                    for (int role : roles)
                        events.last() += QLatin1Char(' ') + QString::fromLatin1(model.roleNames().value(role));
                    rows[row] = value(row);
                }
            });
    }
    QStringList take() { return std::exchange(events, {}); }

    QObject context;
    QList<Row> rows;
    QStringList events;
    int resets = 0;
};
