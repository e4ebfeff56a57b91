# Debian packages by cpack: zarvo-server (ZarvoServer, ZarvoReport) and zarvo-client (Client),
# programs under /opt/zarvo, databases laid out by their installers under /var/lib/zarvo.
# `bash scripts/zarvo.sh package` makes them in build/packages/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvo)
set(CPACK_PACKAGE_VENDOR "Zarvo Punch Clock")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX ${ZARVO_PACKAGE_PREFIX})
set(CPACK_PACKAGE_CONTACT "${ZARVO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARVO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Installed programs carry no debug information, whatever the build type of the tree.
set(CPACK_STRIP_FILES ON)
# Run-time libraries found by dpkg-shlibdeps (dpkg-dev) from the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL server_programs server_setup client_programs client_setup)

# Qt loads its window-system plugins at run time, so dpkg-shlibdeps cannot see them: without
# qt6-qpa-plugins the programs find no platform and cannot open a window. The installers
# create the group zarvo with groupadd (passwd).
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME zarvo-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "qt6-qpa-plugins, passwd")
# "Help" and "Manual" open their files with the desktop's own handler; reports need fonts.
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/server/postinst)
set(CPACK_DEBIAN_SERVER_DESCRIPTION "networked employee time clock: server and console
Employees punch in and out by their ID at the clock window or at remote
terminals (package zarvo-client) that reach this server on TCP port 50505.
The console keeps employee records, corrects timesheets and prints payroll
reports; ZarvoReport exports payroll figures as CSV, spreadsheet or PDF.
The database lives in /var/lib/zarvo/server; members of the group zarvo
may use it.")

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME zarvo-client)
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "qt6-qpa-plugins, passwd")
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/client/postinst)
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "networked employee time clock: punch terminal
A small window in which employees type their ID to punch in or out at the
Zarvo Punch Clock server (package zarvo-server) elsewhere on the network.
The server's address is kept in /var/lib/zarvo/client; members of the
group zarvo may change it.")

include(CPack)
cpack_add_component_group(server)
cpack_add_component_group(client)
cpack_add_component(server_programs GROUP server)
cpack_add_component(server_setup GROUP server)
cpack_add_component(client_programs GROUP client)
cpack_add_component(client_setup GROUP client)
