# Same sources, same bytes: a report records the SHA-256 of the benchmark it
# ran, and that figure should name the source, not the machine or the hour that
# built it. Nothing here touches code generation.
#
# Paths: any __FILE__ or debug path is written relative to the source or build
# tree. Time: a PE header holds the link time unless told not to; it is left
# zero, so SOURCE_DATE_EPOCH has nothing to set in a program (the bundles take
# their dates from it). Build ids: none, like the benchmark's own link.
add_compile_options(
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
  "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
else()
  add_link_options(-Wl,--build-id=none)
endif()
