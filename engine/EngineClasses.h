// Makes the engine's components (cabinet writer, its file handler, zip
// component) known to window descriptions.
#pragma once

void RegisterEngineClasses();
