# Now Playing facilities: interfaces here, MPRIS-based implementations in linux/.
target_sources(brimwell_platform PRIVATE
  ApplicationCatalog.h
  PlayerNotificationCenter.h
  RunningApplications.h
  ScriptRunner.h
  WebLoader.h
)
