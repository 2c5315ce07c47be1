# Packs numberwell.exe for Windows; the build runs it (package_zip, package_msi).
#   cmake -DKIND=zip -DVERSION=a.b.c -DEXE=numberwell.exe -DREADME=README.md -DOUT=x.zip -P windows-package.cmake
#   cmake -DKIND=msi -DVERSION=a.b.c -DEXE=numberwell.exe -DICON=x.ico -DWXS=numberwell.wxs
#         -DDESCRIPTION=... -DOUT=x.msi -P windows-package.cmake
# The same input gives the same bytes: every time stamp is SOURCE_DATE_EPOCH
# (the time of the build when it is unset), and every identifier comes from
# the input.
cmake_minimum_required(VERSION 3.25)

# The MSI's fixed upgrade code: every version of Numberwell has it.
set(upgrade_code 85F6F4C7-86FF-44F2-BA94-B815CB003386)

foreach(path EXE README ICON WXS OUT)
  if(DEFINED ${path})
    get_filename_component(${path} "${${path}}" ABSOLUTE)
  endif()
endforeach()
string(TIMESTAMP epoch "%s" UTC)
string(TIMESTAMP when "%Y-%m-%d %H:%M:%S" UTC)
set(ENV{TZ} UTC) # zip and cabinet entries keep local times
set(stage ${OUT}.d)
file(REMOVE_RECURSE ${stage} ${OUT})
file(MAKE_DIRECTORY ${stage})

function(run)
  execute_process(COMMAND ${ARGV} WORKING_DIRECTORY ${stage} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endfunction()

if(KIND STREQUAL "zip")
  # The program and README.md side by side; strip-nondeterminism sorts the
  # members and sets their times, modes and extra fields.
  find_program(strip_nondeterminism strip-nondeterminism REQUIRED)
  file(COPY ${EXE} ${README} DESTINATION ${stage})
  get_filename_component(exe_name ${EXE} NAME)
  get_filename_component(readme_name ${README} NAME)
  run(${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip ${exe_name} ${readme_name})
  run(${strip_nondeterminism} --type zip --timestamp ${epoch} ${OUT})
elseif(KIND STREQUAL "msi")
  # wixl gives every package a random package code and the wall clock's time,
  # and has no way to be told otherwise: faketime stops its clock at the epoch,
  # and msibuild sets a package code made from the package's input. A new
  # version gets a new product code, as a major upgrade needs.
  find_program(wixl wixl REQUIRED)
  find_program(msibuild msibuild REQUIRED)
  find_program(faketime faketime REQUIRED)
  string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${VERSION}" TYPE SHA1 UPPER)
  set(input "${VERSION} ${DESCRIPTION}")
  foreach(file ${EXE} ${ICON} ${WXS})
    file(SHA256 ${file} hash)
    string(APPEND input " ${hash}")
  endforeach()
  string(UUID package_code NAMESPACE ${upgrade_code} NAME "package ${input}" TYPE SHA1 UPPER)
  # The cabinet keeps the files' times.
  file(COPY ${EXE} ${ICON} DESTINATION ${stage})
  file(GLOB staged ${stage}/*)
  run(touch -d @${epoch} ${staged})
  get_filename_component(exe_name ${EXE} NAME)
  get_filename_component(icon_name ${ICON} NAME)
  run(${faketime} -f "${when}" ${wixl} --arch x64 -o ${OUT}
      -D Version=${VERSION} -D ProductCode=${product_code} -D UpgradeCode=${upgrade_code}
      -D Exe=${exe_name} -D Icon=${icon_name} -D "Description=${DESCRIPTION}" ${WXS})
  # Summary: subject, author, template (as wixl writes them) and package code.
  execute_process(COMMAND ${msibuild} ${OUT} -s Numberwell Numberwell "x64;1033" "{${package_code}}"
                  COMMAND_ERROR_IS_FATAL ANY)
else()
  message(FATAL_ERROR "windows-package.cmake: KIND is zip or msi")
endif()
file(REMOVE_RECURSE ${stage})
