# Contacts in and the calendar out, the window's side: the menu commands and the preview.
target_sources(natalix_gui PRIVATE
    ${CMAKE_SOURCE_DIR}/src/contacts/contactcommands.h
    ${CMAKE_SOURCE_DIR}/src/contacts/contactcommands.cpp
    ${CMAKE_SOURCE_DIR}/src/contacts/frmkontakte.h
    ${CMAKE_SOURCE_DIR}/src/contacts/frmkontakte.cpp)
