# Fails when FILE is larger than MAX_BYTES, so that code pulling the run time's heavy machinery back
# into the shipped file (iostreams, locales, general float conversions) cannot go unnoticed.
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "${FILE} does not exist")
endif()
file(SIZE "${FILE}" size)
if(size GREATER MAX_BYTES)
  message(FATAL_ERROR "${FILE} is ${size} bytes, more than the ${MAX_BYTES} allowed: "
                      "see what a linker map says fills it")
endif()
message(STATUS "${FILE}: ${size} bytes of at most ${MAX_BYTES}")
