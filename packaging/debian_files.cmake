# Run by cpack -G DEB after the files are staged and before they are packed:
# adds what Debian asks of every package beyond the installed files. The
# manual page is compressed, and the documentation folder gets the copyright
# file (the licence, machine-readable) and a compressed changelog.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})
if(NOT EXISTS ${doc}/LICENSE)
  message(FATAL_ERROR "no staged ${doc}/LICENSE")
endif()

# gzip -9n: the best compression, no name or time stamp inside, as Debian wants.
function(compress file)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file} failed")
  endif()
endfunction()

compress(${root}/share/man/man1/morvenda.1)

file(READ ${doc}/LICENSE licence)
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" licence "${licence}")
file(WRITE ${doc}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Morvenda

Files: *
Copyright: 2026 the Morvenda authors
License: Expat
 ${licence}")

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${doc}/changelog
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION}.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
compress(${doc}/changelog)
