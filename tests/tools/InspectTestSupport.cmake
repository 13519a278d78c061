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

# The command (the first argument) must refuse the arguments: exit code 2,
# nothing on stdout, and one line on stderr naming the command.
function(expect_refused command)
    run_inspect(${command} ${ARGN})
    if(NOT code EQUAL 2 OR NOT out STREQUAL "")
        fail("'${command} ${ARGN}' exited with '${code}' and wrote '${out}', expected 2 and nothing")
    endif()
    if(NOT err MATCHES "^skyvane-inspect ${command}: [^\n]+\n$")
        fail("'${command} ${ARGN}' did not explain itself on one line: ${err}")
    endif()
endfunction()
