library Plugin;

uses
//## begin Plugin%Q-Plugin.suses preserve=yes
//## end Plugin%Q-Plugin.suses
  SysUtils;
//## begin Plugin%Q-Plugin.resources preserve=yes
  {$R *.RES}
//## end Plugin%Q-Plugin.resources
//## begin Plugin%Q-Plugin.exports preserve=yes
//## end Plugin%Q-Plugin.exports

begin
//## begin Plugin%Q-Plugin.programbody preserve=yes
  InitPlugin;
//## end Plugin%Q-Plugin.programbody
end.