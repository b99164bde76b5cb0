unit Shapes;

interface

uses
//## begin Shapes%Q-Shapes.suses preserve=yes
//## end Shapes%Q-Shapes.suses
  SysUtils,Base;
type
  //## begin TShape%Q-TShape.preface preserve=yes
  //## end TShape%Q-TShape.preface
    {A shape.}
TShape = class (TBase)
  //## begin TShape%Q-TShape.initial preserve=yes
  //## end TShape%Q-TShape.initial
  private
    FWidth: Integer;
  //## begin TShape%Q-TShape.private preserve=yes
  //## end TShape%Q-TShape.private
  protected
  //## begin TShape%Q-TShape.protected preserve=yes
  //## end TShape%Q-TShape.protected
  public
  //## begin TShape%Q-TShape.public preserve=yes
  //## end TShape%Q-TShape.public
    function GetWidth(): Integer; virtual;
    procedure SetWidth(Value: Integer); virtual;
    constructor Create();
    function Area(): Double; virtual; abstract;
    property Width: Integer read GetWidth write SetWidth;
  published
  //## begin TShape%Q-TShape.published preserve=yes
  //## end TShape%Q-TShape.published
  end;
  //## begin TShape%Q-TShape.postscript preserve=yes
  //## end TShape%Q-TShape.postscript

  //## begin TCircle%Q-TCircle.preface preserve=yes
  //## end TCircle%Q-TCircle.preface
  TCircle = class (TShape)
  //## begin TCircle%Q-TCircle.initial preserve=yes
  //## end TCircle%Q-TCircle.initial
  private
    FRadius: Double;
    FParent: TCircle;
  //## begin TCircle%Q-TCircle.private preserve=yes
  //## end TCircle%Q-TCircle.private
  protected
  //## begin TCircle%Q-TCircle.protected preserve=yes
  //## end TCircle%Q-TCircle.protected
    function GetParent(): TCircle;
    procedure Scale(AFactor: Double;ACenter); overload; stdcall;
    property Parent: TCircle read GetParent;
  public
  //## begin TCircle%Q-TCircle.public preserve=yes
  //## end TCircle%Q-TCircle.public
    function Area(): Double; override;
  published
  //## begin TCircle%Q-TCircle.published preserve=yes
  //## end TCircle%Q-TCircle.published
  end;
  //## begin TCircle%Q-TCircle.postscript preserve=yes
  //## end TCircle%Q-TCircle.postscript


implementation
//## begin Shapes%Q-Shapes.iuses preserve=yes
//## end Shapes%Q-Shapes.iuses
function TCircle.GetParent(): TCircle;
//## begin TCircle::GetParent%Q-Family-Parent.getvar preserve=yes
//## end TCircle::GetParent%Q-Family-Parent.getvar
begin
  //## begin TCircle::GetParent%Q-Family-Parent.getbody preserve=yes
    Result:=FParent;
  //## end TCircle::GetParent%Q-Family-Parent.getbody
end;

function TCircle.Area(): Double;
//## begin TCircle::Area%Q-TCircle-Area.var preserve=yes
//## end TCircle::Area%Q-TCircle-Area.var
begin
  //## begin TCircle::Area%Q-TCircle-Area.body preserve=yes
  //## end TCircle::Area%Q-TCircle-Area.body
end;

procedure TCircle.Scale(AFactor: Double;ACenter);
//## begin TCircle::Scale%Q-TCircle-Scale.var preserve=yes
//## end TCircle::Scale%Q-TCircle-Scale.var
begin
  //## begin TCircle::Scale%Q-TCircle-Scale.body preserve=yes
  //## end TCircle::Scale%Q-TCircle-Scale.body
end;


function TShape.GetWidth(): Integer;
//## begin TShape::GetWidth%Q-TShape-Width.getvar preserve=yes
//## end TShape::GetWidth%Q-TShape-Width.getvar
begin
  //## begin TShape::GetWidth%Q-TShape-Width.getbody preserve=yes
    Result:=FWidth;
  //## end TShape::GetWidth%Q-TShape-Width.getbody
end;

procedure TShape.SetWidth(Value: Integer);
//## begin TShape::SetWidth%Q-TShape-Width.setvar preserve=yes
//## end TShape::SetWidth%Q-TShape-Width.setvar
begin
  //## begin TShape::SetWidth%Q-TShape-Width.setbody preserve=yes
    FWidth:=Value;
  //## end TShape::SetWidth%Q-TShape-Width.setbody
end;

constructor TShape.Create();
//## begin TShape::Create%Q-TShape-Create.var preserve=yes
//## end TShape::Create%Q-TShape-Create.var
begin
  FWidth:=0;
  //## begin TShape::Create%Q-TShape-Create.body preserve=yes
  //## end TShape::Create%Q-TShape-Create.body
end;


initialization
//## begin Shapes%Q-Shapes.initialization preserve=yes
//## end Shapes%Q-Shapes.initialization
finalization
//## begin Shapes%Q-Shapes.finalization preserve=yes
//## end Shapes%Q-Shapes.finalization
end.