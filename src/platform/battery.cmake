# Power sources: the interface here; UPower on the system bus and, without
# it, the kernel's power_supply folder, in linux/.
set_source_files_properties(linux/org.freedesktop.UPower.xml PROPERTIES CLASSNAME OrgFreedesktopUPowerInterface NO_NAMESPACE ON)
qt_add_dbus_interface(BRIMWELL_UPOWER_IFACE linux/org.freedesktop.UPower.xml upower_interface)
target_sources(brimwell_platform PRIVATE
  PowerSources.h
  linux/SysfsPowerSupplies.cpp linux/SysfsPowerSupplies.h
  linux/UPowerPowerSources.cpp linux/UPowerPowerSources.h
  ${BRIMWELL_UPOWER_IFACE}
)
