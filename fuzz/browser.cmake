# The browser's readers of outside data: aircraft.cfg, config.cfg, money_currency.cfg and the
# keyword list.
tnv_fuzzer(fuzz_aircraft_cfg SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_aircraft_cfg.cpp
           LIBS tnv_browser_core)
tnv_fuzzer(fuzz_config_cfg SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_config_cfg.cpp
           LIBS tnv_browser_core)
tnv_fuzzer(fuzz_currency_cfg SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_currency_cfg.cpp
           LIBS tnv_browser_core)
tnv_fuzzer(fuzz_keywords SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_keywords.cpp
           LIBS tnv_browser_core)
