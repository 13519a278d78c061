# Shared by the skyvane-inspect tests: failure counting and one run of the tool
# (path in INSPECT) that leaves code, out and err in the caller's scope.

set(failures 0)

macro(fail message)
    message(SEND_ERROR "${message}")
    math(EXPR failures "${failures} + 1")
endmacro()

function(run_inspect)
    execute_process(COMMAND ${INSPECT} ${ARGN}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(code "${code}" PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()
