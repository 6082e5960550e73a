#include "app/ProcessSettings.h"
#include "app/Startup.h"

int main(int argc, char** argv)
{
    ApplyProcessSettings();
    return Main(argc, argv);
}
