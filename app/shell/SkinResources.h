#pragma once
// The two skin archives linked into the program: "default" (resource 201)
// and "default2k" (resource 202), both of type "ZIPRES".
// Call RegisterSkinResources once at start-up, before the skin is looked up;
// calling it again is harmless. Any thread.

void RegisterSkinResources();
