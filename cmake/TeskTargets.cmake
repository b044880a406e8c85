# Helpers that turn the folder layout into targets: every folder is globbed, so
# a new unit needs no edit here.

# tesk_library(name folder deps...): a static library from folder/*.cpp.
# Dependencies named without "::" are our own libraries (tesk_ prefix).
function(tesk_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/app/Tesk\\.cpp$")
  set(deps)
  foreach(dep ${ARGN})
    if(dep MATCHES "::")
      list(APPEND deps ${dep})
    else()
      list(APPEND deps tesk_${dep})
    endif()
  endforeach()
  if(sources)
    add_library(tesk_${name} STATIC ${sources})
    target_include_directories(tesk_${name} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(tesk_${name} PUBLIC ${deps})
  else()
    add_library(tesk_${name} INTERFACE)
    target_include_directories(tesk_${name} INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(tesk_${name} INTERFACE ${deps})
  endif()
endfunction()

# Embeds every file of a folder, and any further files named after it, into an
# object library; platform code finds each by file name through
# EmbeddedResource().
function(tesk_embed_resources name folder)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*)
  set(extra)
  foreach(f ${ARGN})
    list(APPEND extra ${CMAKE_SOURCE_DIR}/${f})
  endforeach()
  string(REPLACE ";" "|" extra_arg "${extra}")
  set(out ${CMAKE_BINARY_DIR}/generated/EmbeddedResources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DFOLDER=${CMAKE_SOURCE_DIR}/${folder} "-DEXTRA=${extra_arg}"
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    DEPENDS ${files} ${extra} ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
    COMMENT "Embedding ${folder}")
  add_library(${name} OBJECT ${out})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# Places the shipped files (language files, templates, the grids' column
# layouts, the empty database) beside the executable.
function(tesk_runtime_files target)
  file(GLOB shipped CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/resources/lang/*
       ${CMAKE_SOURCE_DIR}/resources/templates/*
       ${CMAKE_SOURCE_DIR}/resources/layouts/*)
  set(stamps)
  foreach(f ${shipped})
    get_filename_component(fname ${f} NAME)
    add_custom_command(OUTPUT ${TESK_RUNTIME_DIR}/${fname}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${f} ${TESK_RUNTIME_DIR}/${fname}
      DEPENDS ${f})
    list(APPEND stamps ${TESK_RUNTIME_DIR}/${fname})
  endforeach()
  if(EXISTS ${CMAKE_SOURCE_DIR}/resources/schema.sql)
    add_custom_command(OUTPUT ${TESK_RUNTIME_DIR}/Tesk.mdb
      COMMAND ${CMAKE_COMMAND} -E rm -f ${TESK_RUNTIME_DIR}/Tesk.mdb
      COMMAND tesk_write_schema ${CMAKE_SOURCE_DIR}/resources/schema.sql ${TESK_RUNTIME_DIR}/Tesk.mdb
      DEPENDS ${CMAKE_SOURCE_DIR}/resources/schema.sql tesk_write_schema)
    list(APPEND stamps ${TESK_RUNTIME_DIR}/Tesk.mdb)
  endif()
  add_custom_target(${target}_runtime_files ALL DEPENDS ${stamps})
endfunction()

# One test executable per folder under tests/ that holds .cpp files; tests/support
# is linked into each.
function(tesk_tests)
  include(GoogleTest)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
  file(GLOB_RECURSE all_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
  set(dirs)
  foreach(f ${all_tests})
    get_filename_component(d ${f} DIRECTORY)
    if(NOT d MATCHES "/tests/support$" AND NOT d MATCHES "/tests/fixtures")
      list(APPEND dirs ${d})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  foreach(d ${dirs})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${d})
    string(REPLACE "/" "_" tname "test_${rel}")
    # tests/<area>[/<folder>] links the library of the code it tests, so a
    # half-built area elsewhere never stops these tests from building.
    string(REPLACE "/" "_" lib "tesk_${rel}")
    if(NOT TARGET ${lib})
      string(REGEX REPLACE "/.*" "" area "${rel}")
      set(lib tesk_${area})
    endif()
    if(NOT TARGET ${lib})
      set(lib tesk_app)
    endif()
    # The test main calls the registration of the library the test links; the
    # app's tests start the way the program does.
    set(register TESK_REGISTER_LIBRARY=RegisterGuiLibrary)
    foreach(pair grid:RegisterGridLibrary data:RegisterDataLibrary storage:RegisterStorageClasses
                 editor:RegisterEditorLibrary)
      string(REPLACE ":" ";" pair "${pair}")
      list(GET pair 0 area_lib)
      if(lib STREQUAL "tesk_${area_lib}")
        list(GET pair 1 fn)
        set(register TESK_REGISTER_LIBRARY=${fn})
      endif()
    endforeach()
    if(lib STREQUAL "tesk_app")
      set(register TESK_TEST_STARTS_PROGRAM)
    endif()
    file(GLOB srcs CONFIGURE_DEPENDS ${d}/*.cpp)
    add_executable(${tname} ${srcs} ${support})
    target_link_libraries(${tname} PRIVATE ${lib} tesk_platform_gui tesk_resources GTest::gtest GTest::gmock)
    target_compile_definitions(${tname} PRIVATE
      TESK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TESK_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures"
      ${register})
    set_target_properties(${tname} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(TESK_FUZZ)
      # Under the sanitizers the test sources themselves are compiled without
      # optimisation: a third less compile time, while the code they test keeps its.
      target_compile_options(${tname} PRIVATE -O0)
    endif()
    add_test(NAME ${tname} COMMAND ${tname} --gtest_brief=1)
    set(env "QT_QPA_PLATFORM=offscreen;TESK_CODEPAGE=1251")
    if(TESK_FUZZ)
      # Leaks count as failures; the system libraries' own are listed in the suppressions.
      list(APPEND env "ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1"
                      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
                      "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    endif()
    set_tests_properties(${tname} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
  endforeach()
  # The layering of the folders and Qt's place, checked on the sources.
  add_test(NAME include_graph COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check_includes.sh ${CMAKE_SOURCE_DIR})
endfunction()

# bench/<name>.cpp -> bench_<name>, with Google Benchmark and PCRE2 as a reference.
function(tesk_benchmarks)
  find_package(benchmark REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
  file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  foreach(b ${benches})
    get_filename_component(n ${b} NAME_WE)
    add_executable(bench_${n} ${b})
    target_link_libraries(bench_${n} PRIVATE tesk_app tesk_resources benchmark::benchmark PkgConfig::PCRE2 SQLite::SQLite3)
    target_compile_definitions(bench_${n} PRIVATE TESK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    set_target_properties(bench_${n} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  endforeach()
endfunction()

# fuzz/<name>.cpp -> fuzz_<name> with libFuzzer, linked against the text library.
function(tesk_fuzz_targets)
  if(NOT TESK_FUZZ_ONLY)
    # Coverage for libFuzzer only in what the targets reach: the import
    # targets reach the importers and the data module.
    foreach(lib tesk_platform_rtl tesk_platform_classes tesk_platform_rtti tesk_platform_db tesk_text tesk_grid
                tesk_data tesk_app)
      target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
    endforeach()
  endif()
  file(GLOB targets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
  foreach(t ${targets})
    get_filename_component(n ${t} NAME_WE)
    # The import targets run whole imports on a database file and the grid
    # targets paste into a grid: they need the window layer and the
    # subsystems, which a fuzz-only build leaves out.
    if(n MATCHES "^(import|grid)_" AND TESK_FUZZ_ONLY)
      continue()
    endif()
    add_executable(fuzz_${n} ${t})
    if(n STREQUAL "xml")
      # The XML document needs no Qt: its units are compiled into the target.
      target_sources(fuzz_${n} PRIVATE ${CMAKE_SOURCE_DIR}/storage/StSimpleXml.cpp ${CMAKE_SOURCE_DIR}/storage/StUtils.cpp)
    elseif(n STREQUAL "settings")
      # The settings store without the window system.
      foreach(unit StSimpleXml StUtils UtRTTI UtMime UtSysFolders StAppStorage StAppXMLStorage)
        target_sources(fuzz_${n} PRIVATE ${CMAKE_SOURCE_DIR}/storage/${unit}.cpp)
      endforeach()
    elseif(n STREQUAL "component_stream")
      # Streams are read into the streaming tests' class tree.
      target_sources(fuzz_${n} PRIVATE ${CMAKE_SOURCE_DIR}/tests/platform/rtti/StreamClasses.cpp)
    endif()
    if(n MATCHES "^import_")
      target_link_libraries(fuzz_${n} PRIVATE tesk_app tesk_resources)
      target_compile_definitions(fuzz_${n} PRIVATE TESK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    elseif(n MATCHES "^grid_")
      target_link_libraries(fuzz_${n} PRIVATE tesk_grid tesk_resources)
    else()
      target_link_libraries(fuzz_${n} PRIVATE tesk_text)
    endif()
    if(NOT TESK_FUZZ_ONLY)
      target_compile_options(fuzz_${n} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
    target_link_options(fuzz_${n} PRIVATE -fsanitize=fuzzer)
    set_target_properties(fuzz_${n} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  endforeach()
endfunction()
