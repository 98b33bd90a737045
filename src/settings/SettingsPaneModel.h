#pragma once

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

/// The settings window's sidebar: one row per pane in sidebar order, with
/// the roles `pane`, `paneTitle`, `paneSymbol` and `paneTileColor`. The
/// panes never change.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class SettingsPaneModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by SettingsViewLogic")
public:
    enum Role {
        /// The pane, a SettingsPanes.SettingsPane.
        PaneRole = Qt::UserRole + 1,
        TitleRole,
        /// The symbol name for SymbolCatalog.
        SymbolRole,
        TileColorRole,
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};
