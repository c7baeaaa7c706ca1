# Assembles the sample distribution (run by the build with cmake -P):
# stages every archive's tree, adds the program files of the manifest and
# the demonstration domain, packs each tree with the native ilds, and puts
# setup.exe and the loose files beside the archives.
#
# Inputs: SOURCE (distribution/), STAGE, DIST, ILDS, MAKE_DEMO (may be empty),
# DEMO_DOMAIN, MANIFEST ("archive/name|file" lines), SETUP_EXE.

set(archives setup.Dat setupav.dat setupweb.dat setupldap.dat setupphp.dat other.dat tovex.mcb)

file(REMOVE_RECURSE ${STAGE})
foreach(archive ${archives})
  file(MAKE_DIRECTORY ${STAGE}/${archive})
  file(COPY ${SOURCE}/archives/${archive}/ DESTINATION ${STAGE}/${archive})
endforeach()

file(STRINGS ${MANIFEST} lines)
foreach(line ${lines})
  string(REPLACE "|" ";" parts "${line}")
  list(GET parts 0 name)
  list(GET parts 1 file)
  file(COPY_FILE ${file} ${STAGE}/${name})
endforeach()

function(pack archive folder)
  execute_process(COMMAND ${ILDS} pack ${archive} ${folder} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "ilds pack ${archive} ${folder} failed (${result})")
  endif()
endfunction()

# The demonstration domain travels inside setup.Dat as demo.dat.
if(MAKE_DEMO)
  set(demo ${STAGE}/demo)
  file(MAKE_DIRECTORY ${demo})
  execute_process(COMMAND ${MAKE_DEMO} ${demo} ${DEMO_DOMAIN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${MAKE_DEMO} ${demo} failed (${result})")
  endif()
  pack(${STAGE}/setup.Dat/demo.dat ${demo})
endif()

file(REMOVE_RECURSE ${DIST})
file(MAKE_DIRECTORY ${DIST})
foreach(archive ${archives})
  pack(${DIST}/${archive} ${STAGE}/${archive})
endforeach()
file(COPY ${SOURCE}/loose/ DESTINATION ${DIST})
file(COPY_FILE ${SETUP_EXE} ${DIST}/setup.exe)
