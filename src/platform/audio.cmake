# The audio hardware: the interface here, the PulseAudio implementation in linux/.
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse libpulse-mainloop-glib)
target_sources(brimwell_platform PRIVATE
  AudioHardware.h
  linux/PulseAudioHardware.cpp linux/PulseAudioHardware.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::PULSE)
