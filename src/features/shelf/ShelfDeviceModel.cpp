#include "ShelfDeviceModel.h"

void ShelfDeviceModel::setDevices(const QList<DeviceSharing::Device>& devices)
{
    sync(m_rows, devices, [](const DeviceSharing::Device& device) { return device.id; });
}

int ShelfDeviceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ShelfDeviceModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DeviceSharing::Device& device = m_rows[index.row()];
    switch (role) {
    case DeviceIdRole:
        return device.id;
    case Qt::DisplayRole:
    case NameRole:
        return device.name;
    default:
        return {};
    }
}

QHash<int, QByteArray> ShelfDeviceModel::roleNames() const
{
    return { { DeviceIdRole, "deviceId" }, { NameRole, "name" } };
}
