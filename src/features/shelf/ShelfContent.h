#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// QML writes `ShelfContents.ShelfContent.items`.
namespace ShelfContents {
Q_NAMESPACE
QML_ELEMENT
/// What the Shelf tab shows: the message of an empty shelf, or the strip.
enum class ShelfContent { empty, items };
Q_ENUM_NS(ShelfContent)
} // namespace ShelfContents
using ShelfContents::ShelfContent;
