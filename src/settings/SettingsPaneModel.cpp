#include "SettingsPaneModel.h"

#include "SettingsPane.h"

int SettingsPaneModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(allSettingsPanes.size());
}

QVariant SettingsPaneModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SettingsPane pane = allSettingsPanes[size_t(index.row())];
    const SettingsPaneInfo info = settingsPaneInfo(pane);
    switch (role) {
    case PaneRole:
        return int(pane);
    case TitleRole:
        return QString::fromUtf8(info.title);
    case SymbolRole:
        return QString::fromLatin1(info.symbol);
    case TileColorRole:
        return info.tileColor;
    default:
        return {};
    }
}

QHash<int, QByteArray> SettingsPaneModel::roleNames() const
{
    return { { PaneRole, "pane" }, { TitleRole, "paneTitle" }, { SymbolRole, "paneSymbol" }, { TileColorRole, "paneTileColor" } };
}
