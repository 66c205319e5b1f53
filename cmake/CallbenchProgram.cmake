# callbench_program(<name> [<compile definition>...])
# Links the benchmark as a program with no runtime: entry point RunBenchmark,
# no start files, no C library. Definitions select test-only variants.
function(callbench_program name)
  set(src ${PROJECT_SOURCE_DIR}/src)
  add_executable(${name}
    ${src}/driver/run_benchmark.S
    ${src}/measure/measure_variables.S
    $<TARGET_OBJECTS:callbench_console>)
  target_include_directories(${name} PRIVATE ${src})
  target_compile_definitions(${name} PRIVATE ${ARGN})
  target_compile_options(${name} PRIVATE -Wa,--fatal-warnings)
  target_link_options(${name} PRIVATE -nostdlib -nostartfiles)
  if(WIN32)
    target_link_options(${name} PRIVATE
      -Wl,-e,_RunBenchmark -Wl,--subsystem,console
      -Wl,--nxcompat -Wl,--dynamicbase)
    target_link_libraries(${name} PRIVATE kernel32 user32)
  else()
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:callbench_platform>)
    target_link_options(${name} PRIVATE
      -static -Wl,-e,RunBenchmark -Wl,-z,noexecstack -Wl,-z,separate-code -Wl,--build-id=none)
  endif()
endfunction()
