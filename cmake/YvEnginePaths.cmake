# Where the engines keep their settings in the hive (the profile files' REGPATH).
set(YV_ENGINE_REGPATH_EJ "Software\\Orvikan\\jTamsel\\EJ")
set(YV_ENGINE_REGPATH_JE "Software\\Orvikan\\jTamsel\\JE")
