# Refuses every include that climbs with "..". A floor sees only what its
# include roots hold; a climb from the including file's own folder, or from
# a root's folder, walks round them to any folder of the tree.
#   cmake -DROOT=<folder or file> -P no_climbing_includes.cmake
if(IS_DIRECTORY "${ROOT}")
  file(GLOB_RECURSE files "${ROOT}/*.cpp" "${ROOT}/*.h")
else()
  set(files "${ROOT}")
endif()
set(climbs 0)
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]*\\.\\.")
  foreach(line IN LISTS lines)
    # One climb a line, as written: the message of an error would be re-wrapped.
    message(NOTICE "${file}: ${line}")
    math(EXPR climbs "${climbs} + 1")
  endforeach()
endforeach()
if(climbs GREATER 0)
  message(FATAL_ERROR "${climbs} include(s) above climb with \"..\"; name each from its floor's root.")
endif()
