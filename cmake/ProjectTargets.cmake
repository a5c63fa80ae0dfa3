# Warning flags for the project's own targets. Third-party code (GoogleTest built
# from source for Windows) keeps its own flags.
function(clicker_set_warnings target)
  target_compile_options(${target} PRIVATE ${CLICKER_WARNINGS})
  if(CLICKER_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Windows executables are linked statically so that only system DLLs are imported.
function(clicker_link_static target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

# The shipped executable: unused sections dropped (the windows preset compiles
# with a section per function) and symbols stripped.
function(clicker_release_executable target)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
endfunction()
