# The shell: the login item and the update framework; interfaces here, their
# Linux implementations (an XDG autostart entry, an RSS appcast over https)
# in linux/.
target_sources(brimwell_platform PRIVATE
  LoginItem.h
  UpdateFramework.h
  linux/Appcast.cpp linux/Appcast.h
  linux/AppcastUpdater.cpp linux/AppcastUpdater.h
  linux/XdgAutostartLoginItem.cpp linux/XdgAutostartLoginItem.h
)
