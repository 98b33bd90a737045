# The shelf: file bookmarks, previews, the file browser and sending files
# away; interfaces here, their Linux implementations in linux/.
target_sources(brimwell_platform PRIVATE
  FileBookmark.h
  FileThumbnails.h
  FileBrowser.h
  DeviceSharing.h
  linux/PosixFileBookmark.cpp linux/PosixFileBookmark.h
  linux/FreedesktopThumbnails.cpp linux/FreedesktopThumbnails.h
)
