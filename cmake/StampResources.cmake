# Writes "<DIR>resources.stamp": one hash over the names and contents of every file of the
# staged resource tree. The program copies the tree into its data folder again whenever the
# installed stamp differs from the copy's, so a rebuilt or reinstalled tree is never hidden
# by an older copy.
#   cmake -DDIR=<staged resource tree, ending in /> -P StampResources.cmake
file(GLOB_RECURSE files RELATIVE "${DIR}" "${DIR}*")
list(REMOVE_ITEM files "resources.stamp")
list(SORT files)
set(all "")
foreach(f IN LISTS files)
  file(SHA256 "${DIR}${f}" h)
  string(APPEND all "${f} ${h}\n")
endforeach()
string(SHA256 stamp "${all}")
set(path "${DIR}resources.stamp")
# Unchanged contents leave the file (and its time) alone.
if(EXISTS "${path}")
  file(READ "${path}" old)
  if(old STREQUAL "${stamp}\n")
    return()
  endif()
endif()
file(WRITE "${path}" "${stamp}\n")
