# The capture layer's property sheet shown with the toolkit's dialog.
# Included by the lead where the program is assembled.
add_library(kelvara_property_sheet STATIC ${CMAKE_CURRENT_LIST_DIR}/PropertySheetPresenter.cpp)
target_link_libraries(kelvara_property_sheet PUBLIC DuiLib kelvara_directshow)
kelvara_defaults(kelvara_property_sheet)
