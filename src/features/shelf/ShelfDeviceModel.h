#pragma once

#include "DeviceSharing.h"
#include "KeyedListModel.h"

/// The devices files can be sent to now, in the order the sharing service
/// lists them, keyed by their id.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ShelfDeviceModel : public KeyedListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by ShelfViewLogic")
public:
    enum Role {
        /// The sharing service's id for the device (not a UUID).
        DeviceIdRole = Qt::UserRole + 1,
        NameRole,
    };

    using KeyedListModel::KeyedListModel;

    void setDevices(const QList<DeviceSharing::Device>& devices);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<DeviceSharing::Device> m_rows;
};
