# The capture layer's property sheet shown with the toolkit's dialog.
# The capture layer lives inside Pellar, so its hook is reached through Pellar.
add_library(kelvara_property_sheet STATIC ${CMAKE_CURRENT_LIST_DIR}/PropertySheetPresenter.cpp)
target_link_libraries(kelvara_property_sheet PUBLIC DuiLib Pellar)
kelvara_defaults(kelvara_property_sheet)
