#include "app/InstalledGame.h"

#include "engine/EngineManager.h"
#include "project/ProjectInspector.h"
#include "runner/GameRunner.h"
#include "support/Paths.h"

InstalledGame InstalledGame::read() {
    InstalledGame installed;
    installed.project = ProjectInspector::findProject(Paths::gameFolder());
    if (!installed.project)
        return installed;
    installed.info = ProjectInspector::inspect(*installed.project);
    installed.info->installed = InstalledVersion::read(Paths::gameFolder());
    installed.spec = EngineSpec::forGame(&*installed.info);
    installed.engine = EngineManager::executable(installed.spec);
    installed.imported = GameRunner::isImported(*installed.project, installed.spec);
    return installed;
}
