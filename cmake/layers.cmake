# The product's layers, from the bottom up, and which layers each may use.
# The build (stats_check_layer_links, at configure time) and the source check
# (check-layers.cmake) both read this table.
set(STATS_LAYERS platform model host rules reports ui plugin)
set(STATS_BELOW_platform "")
set(STATS_BELOW_model platform)
set(STATS_BELOW_host platform)
set(STATS_BELOW_rules model platform)
set(STATS_BELOW_reports rules model platform)
set(STATS_BELOW_ui host model platform)
set(STATS_BELOW_plugin ui reports rules host model platform)
# resources/ holds the DLL's templates and the ids of their controls: only
# the code that drives those dialogs includes them.
set(STATS_IDS_USERS reports ui plugin)

# Sets out_var to the libraries in libs that are layers (stats_<layer>) not
# below layer: "" when it links only downward.
function(stats_layer_link_breaches layer libs out_var)
  set(breaches "")
  foreach(lib IN LISTS libs)
    if(lib MATCHES "^stats_([a-z]+)$")
      set(used ${CMAKE_MATCH_1})
      if(used IN_LIST STATS_LAYERS AND NOT used IN_LIST STATS_BELOW_${layer})
        list(APPEND breaches ${lib})
      endif()
    endif()
  endforeach()
  set(${out_var} "${breaches}" PARENT_SCOPE)
endfunction()

# Fails the configure when a layer's library links a layer that is not
# below it.
function(stats_check_layer_links)
  foreach(layer IN LISTS STATS_LAYERS)
    get_target_property(libs stats_${layer} LINK_LIBRARIES)
    get_target_property(interface_libs stats_${layer} INTERFACE_LINK_LIBRARIES)
    set(all "")
    foreach(list libs interface_libs)
      if(${list})
        list(APPEND all ${${list}})
      endif()
    endforeach()
    stats_layer_link_breaches(${layer} "${all}" breaches)
    if(breaches)
      message(FATAL_ERROR "stats_${layer} links a layer that is not below it: ${breaches}")
    endif()
  endforeach()
endfunction()
