# Where an installation puts each part, relative to its prefix. On Linux these are the folders
# hosts scan under /usr and /usr/local: plain lib/, not the multiarch folder, because that is
# where hosts look. A Windows package is one flat folder the user copies the plug-ins out of.
if(WIN32)
  set(SLOPECRUSH_INSTALL_VST2DIR .)
  set(SLOPECRUSH_INSTALL_CLAPDIR .)
  set(SLOPECRUSH_INSTALL_DOCDIR .)
else()
  set(SLOPECRUSH_INSTALL_BINDIR bin)
  set(SLOPECRUSH_INSTALL_VST2DIR lib/vst)
  set(SLOPECRUSH_INSTALL_LV2DIR lib/lv2)
  set(SLOPECRUSH_INSTALL_CLAPDIR lib/clap)
  set(SLOPECRUSH_INSTALL_MAN1DIR share/man/man1)
  set(SLOPECRUSH_INSTALL_DOCDIR share/doc/slopecrush)
endif()
