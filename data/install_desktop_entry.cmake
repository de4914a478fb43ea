# Runs at install time: writes the desktop entry with the launcher's absolute path as installed
# (the prefix given to cmake --install, not the one configured), so that it starts whatever PATH
# the desktop session has. Expects QUORVANTA_ENTRY_TEMPLATE, QUORVANTA_ENTRY_DIR (where to write
# the entry before installing it), QUORVANTA_BINDIR and QUORVANTA_DATADIR (relative to the prefix,
# or absolute).
foreach(dir BINDIR DATADIR)
    if(IS_ABSOLUTE "${QUORVANTA_${dir}}")
        set(${dir} "${QUORVANTA_${dir}}")
    else()
        set(${dir} "${CMAKE_INSTALL_PREFIX}/${QUORVANTA_${dir}}")
    endif()
endforeach()

# The Exec key's rules: an argument with reserved characters is quoted, with " ` $ \ escaped by a
# backslash inside the quotes; then the string rules double every backslash, and % is doubled.
set(launcher "${BINDIR}/quorvanta-desktop")
if(launcher MATCHES "^[A-Za-z0-9/._+-]+$")
    set(exec "${launcher}")
else()
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${launcher}")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")

file(READ "${QUORVANTA_ENTRY_TEMPLATE}" entry)
string(REPLACE "@QUORVANTA_LAUNCHER@" "${exec}" entry "${entry}")
# One file per prefix, so that installs into different prefixes at once do not mix their entries.
string(MD5 prefix_hash "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(output "${QUORVANTA_ENTRY_DIR}/${prefix_hash}/quorvanta.desktop")
file(WRITE "${output}" "${entry}")
file(INSTALL DESTINATION "${DATADIR}/applications" TYPE FILE FILES "${output}")
