program Desk;

uses
//## begin Desk%Q-Desk.suses preserve=yes
//## end Desk%Q-Desk.suses
  Forms,Shapes;
//## begin Desk%Q-Desk.resources preserve=yes
  {$R *.RES}
//## end Desk%Q-Desk.resources

begin
//## begin Desk%Q-Desk.programbody preserve=yes
  Application.Run;
//## end Desk%Q-Desk.programbody
end.