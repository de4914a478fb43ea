# Runs the benchmark with Google Benchmark's standard output flags and checks that it honours
# them: JSON on standard output as one document, CSV in the --benchmark_out file, and the summary
# lines moved to standard error. cmake -DBENCH=path -DWORK_DIR=path -P check_standard_flags.cmake
set(case "redraw/100x1000/all/log/start")
set(csv_file "${WORK_DIR}/bench_standard_flags.csv")
file(REMOVE "${csv_file}")
execute_process(
    COMMAND "${BENCH}" "--benchmark_filter=^${case}$" --benchmark_min_time=0.01
            --benchmark_format=json "--benchmark_out=${csv_file}" --benchmark_out_format=csv
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the benchmark failed (${status}):\n${err}")
endif()

string(STRIP "${out}" document)
string(JSON count ERROR_VARIABLE json_error LENGTH "${document}" benchmarks)
if(json_error OR NOT document MATCHES "^{.*}$")
    message(FATAL_ERROR "--benchmark_format=json: standard output is not one JSON document "
                        "(${json_error}):\n${out}")
endif()
string(JSON name GET "${document}" benchmarks 0 name)
string(JSON time GET "${document}" benchmarks 0 real_time)
if(NOT count EQUAL 1 OR NOT name STREQUAL case OR NOT time GREATER 0)
    message(FATAL_ERROR "--benchmark_format=json: expected one run of ${case} with a time, got "
                        "${count} run(s), the first \"${name}\" taking ${time}")
endif()

file(READ "${csv_file}" csv)
if(NOT csv MATCHES "\nname,iterations,real_time," OR NOT csv MATCHES "\n\"${case}\",[0-9]+,")
    message(FATAL_ERROR "--benchmark_out_format=csv: no CSV row for ${case} in ${csv_file}:\n${csv}")
endif()

if(NOT err MATCHES "first redraw of ")
    message(FATAL_ERROR "the summary lines are missing from standard error:\n${err}")
endif()
