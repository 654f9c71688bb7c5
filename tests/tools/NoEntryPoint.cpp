// A shared object that loads but exports neither VSTPluginMain nor main.
extern "C" int kivToolsNotAPlugin()
{
    return 0;
}
