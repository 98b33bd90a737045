#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

#include <algorithm>

/// A list model over keyed rows that reaches a new list by removals, moves,
/// inserts and changed rows, never a reset: views keep their delegates, so
/// scroll position, hover and tooltips survive an update.
class ShelfListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    /// The number of rows.
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged FINAL)

Q_SIGNALS:
    void countChanged();

protected:
    using QAbstractListModel::QAbstractListModel;

    /// Turns `rows` into `next`, rows matched by `keyOf`; a row whose key
    /// stays but whose content differs is reported as changed.
    template <typename Row, typename KeyOf> void sync(QList<Row>& rows, const QList<Row>& next, KeyOf keyOf);
};

template <typename Row, typename KeyOf> void ShelfListModel::sync(QList<Row>& rows, const QList<Row>& next, KeyOf keyOf)
{
    const qsizetype before = rows.size();
    const auto find = [&](const auto& key, qsizetype from) {
        for (qsizetype i = from; i < rows.size(); ++i) {
            if (keyOf(rows[i]) == key)
                return i;
        }
        return qsizetype(-1);
    };
    const auto wanted = [&](const Row& row) {
        return std::any_of(next.cbegin(), next.cend(), [&](const Row& other) { return keyOf(other) == keyOf(row); });
    };
    // The rows that go, the last run of neighbours first.
    for (qsizetype last = rows.size() - 1; last >= 0;) {
        if (wanted(rows[last])) {
            --last;
            continue;
        }
        qsizetype first = last;
        while (first > 0 && !wanted(rows[first - 1]))
            --first;
        beginRemoveRows({}, int(first), int(last));
        rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }
    // Then in the new order: a row in its place stays, one found further
    // down moves up, and a run of new keys is inserted at once.
    for (qsizetype i = 0; i < next.size();) {
        const auto key = keyOf(next[i]);
        if (i < rows.size() && keyOf(rows[i]) == key) {
            if (!(rows[i] == next[i])) {
                rows[i] = next[i];
                Q_EMIT dataChanged(index(int(i)), index(int(i)));
            }
            ++i;
            continue;
        }
        if (const qsizetype from = find(key, i + 1); from >= 0) {
            beginMoveRows({}, int(from), int(from), {}, int(i));
            rows.move(from, i);
            endMoveRows();
            continue;
        }
        qsizetype end = i + 1;
        while (end < next.size() && find(keyOf(next[end]), i) < 0)
            ++end;
        beginInsertRows({}, int(i), int(end - 1));
        for (qsizetype j = i; j < end; ++j)
            rows.insert(j, next[j]);
        endInsertRows();
        i = end;
    }
    // Left over only when the old list held a key twice.
    if (rows.size() > next.size()) {
        beginRemoveRows({}, int(next.size()), int(rows.size() - 1));
        rows.resize(next.size());
        endRemoveRows();
    }
    if (rows.size() != before)
        Q_EMIT countChanged();
}
