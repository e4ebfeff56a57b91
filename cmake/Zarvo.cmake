# zarvo_add_test(NAME name SOURCES ... LIBS ...)
# One QtTest executable registered with CTest, run headless.
function(zarvo_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZARVO_SCHEMA=${CMAKE_SOURCE_DIR}/server/startup/schema.sql;ZARVO_CLIENT_SCHEMA=${CMAKE_SOURCE_DIR}/client/schema.sql")
endfunction()

# zarvo_install_database(DESTINATION dir FILE name SCHEMA file [PASSWORD pw] [SERVER | CLIENT])
# At install time, lays DESTINATION/FILE out from SCHEMA only where none exists: a database
# already installed (and in use) keeps every row; one with another layout fails the install.
# SERVER, CLIENT: punched.mdb or client.mdb, laid out at (and brought up to) its newest layout
# version.
# Component "databases": a plain `cmake --install` runs it, the packages do not (their
# installers lay the database out where the packaged programs look for it).
function(zarvo_install_database)
  cmake_parse_arguments(D "SERVER;CLIENT" "DESTINATION;FILE;SCHEMA;PASSWORD" "" ${ARGN})
  set(flag "")
  if(D_SERVER)
    set(flag "--server")
  elseif(D_CLIENT)
    set(flag "--client")
  endif()
  install(CODE "
    set(out \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${D_DESTINATION}/${D_FILE}\")
    execute_process(COMMAND \"$<TARGET_FILE:mkdb>\" ${flag} \"\${out}\" \"${D_SCHEMA}\" ${D_PASSWORD}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR \"\${out} was left as it is (see above)\")
    endif()" COMPONENT databases)
endfunction()
