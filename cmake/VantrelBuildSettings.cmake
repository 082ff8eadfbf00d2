# The addresses the program names, all in one place. The defaults use the reserved
# documentation domain; a distributor sets real ones with -DVANTREL_WEBSITE=... and so on.
set(VANTREL_WEBSITE "www.example.org" CACHE STRING
    "Host name of the project's web site, without a scheme (About box link)")
set(VANTREL_EMAIL "vantrel@example.org" CACHE STRING
    "The project's e-mail address (About box link, package maintainer)")
set(VANTREL_SUPPORT_URL "http://www.example.org/support" CACHE STRING
    "Full URL of the router maker's support site (About box picture)")
set(VANTREL_UPDATE_BASE "http://www.example.org" CACHE STRING
    "Scheme and host of the server that publishes /vantrel/version.txt (update check)")
set(VANTREL_APP_ID "org.example.vantrel" CACHE STRING
    "Reverse-DNS application id: name of the desktop entry, icon and AppStream metadata")

# The same texts for the C++ code, in a generated header.
configure_file(${PROJECT_SOURCE_DIR}/src/version/buildsettings.h.in
               ${PROJECT_BINARY_DIR}/generated/version/buildsettings.h @ONLY)
