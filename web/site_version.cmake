# Writes the service worker of the site (SITE/service_worker.js from TEMPLATE): the files it caches
# are those of SITE, and the build's version is a digest of their contents, so that any change of
# the site gives a new worker and a new cache.
#   cmake -DSITE=DIR -DTEMPLATE=FILE -P site_version.cmake
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files service_worker.js _headers)
list(SORT files)
set(digests "")
set(names "\"./\"")
foreach(name ${files})
    file(SHA256 ${SITE}/${name} digest)
    string(APPEND digests "${name} ${digest}\n")
    string(APPEND names ", \"${name}\"")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 MORVEX_SITE_VERSION)
set(MORVEX_SITE_FILES ${names})
configure_file(${TEMPLATE} ${SITE}/service_worker.js @ONLY)
