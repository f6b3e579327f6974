# Fails when an object that goes into the hardware ZorikApi.dll has a global
# that needs a constructor: that DLL runs no start-up code, so the global
# would never be made.
#   cmake -DNM=<nm> -DFILES=<file|file|...> -P check_no_constructors.cmake
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
    execute_process(COMMAND ${NM} ${file} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot list the symbols of ${file}")
    endif()
    if(symbols MATCHES "_GLOBAL__sub_I_")
        message(FATAL_ERROR "${file} has a global that needs a constructor; ZorikApi.dll runs no "
                            "start-up code, so make it in DllMain or give it a constant initialiser")
    endif()
endforeach()
