# Live activities: where other programs of the session post them.
target_sources(brimwell_platform PRIVATE
  ActivityHost.h
)
