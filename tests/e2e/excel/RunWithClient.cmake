# Runs one kvrhost session (RunSession.cmake) in process with a client folder of its own in WORKDIR
# (a copy of the demo's client configuration from DATA_DIR), so that what the session exports there
# is its own.
cmake_policy(SET CMP0011 NEW)
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/client)
file(COPY ${DATA_DIR}/VeltraneC.ini DESTINATION ${WORKDIR}/client)
set(KEEP_WORKDIR 1)
set(CLIENT_INI ${WORKDIR}/client/VeltraneC.ini)
include(${CMAKE_CURRENT_LIST_DIR}/../RunSession.cmake)
