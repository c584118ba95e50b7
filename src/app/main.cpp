#include "app/QamrelApp.h"

int main(int argc, char** argv)
{
    return ovix::CQamrelApp::Run(argc, argv);
}
