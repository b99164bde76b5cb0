unit Kinds;

interface

uses
//## begin Kinds%Q-Kinds.suses preserve=yes
//## end Kinds%Q-Kinds.suses
  Base;
type
  //## begin IShape%Q-IShape.preface preserve=yes
  //## end IShape%Q-IShape.preface
  IShape = interface 
    ['{11111111-2222-3333-4444-555555555555}']
  //## begin IShape%Q-IShape.initial preserve=yes
  //## end IShape%Q-IShape.initial
    function GetName(): string;
    procedure Draw(); overload;
    property Name: string read GetName;
  end;
  //## begin IShape%Q-IShape.postscript preserve=yes
  //## end IShape%Q-IShape.postscript

  //## begin TSquare%Q-TSquare.preface preserve=yes
  //## end TSquare%Q-TSquare.preface
  TSquare = class (TBase,IShape)
  //## begin TSquare%Q-TSquare.initial preserve=yes
  //## end TSquare%Q-TSquare.initial
  private
  //## begin TSquare%Q-TSquare.private preserve=yes
  //## end TSquare%Q-TSquare.private
  protected
  //## begin TSquare%Q-TSquare.protected preserve=yes
  //## end TSquare%Q-TSquare.protected
  public
  //## begin TSquare%Q-TSquare.public preserve=yes
  //## end TSquare%Q-TSquare.public
  published
  //## begin TSquare%Q-TSquare.published preserve=yes
  //## end TSquare%Q-TSquare.published
    procedure Paint();
  end;
  //## begin TSquare%Q-TSquare.postscript preserve=yes
  //## end TSquare%Q-TSquare.postscript

  //## begin TColor%Q-TColor.preface preserve=yes
  //## end TColor%Q-TColor.preface
  TColor =  (clRed,clGreen);
  //## begin TColor%Q-TColor.postscript preserve=yes
  //## end TColor%Q-TColor.postscript

  //## begin TPoint%Q-TPoint.preface preserve=yes
  //## end TPoint%Q-TPoint.preface
  TPoint = object 
  //## begin TPoint%Q-TPoint.initial preserve=yes
  //## end TPoint%Q-TPoint.initial
  private
    FX: Integer;
  //## begin TPoint%Q-TPoint.private preserve=yes
  //## end TPoint%Q-TPoint.private
  protected
  //## begin TPoint%Q-TPoint.protected preserve=yes
  //## end TPoint%Q-TPoint.protected
  public
  //## begin TPoint%Q-TPoint.public preserve=yes
  //## end TPoint%Q-TPoint.public
    {Moves it.}
    procedure Move(DX: Integer);
  published
  //## begin TPoint%Q-TPoint.published preserve=yes
  //## end TPoint%Q-TPoint.published
  end;
  //## begin TPoint%Q-TPoint.postscript preserve=yes
  //## end TPoint%Q-TPoint.postscript


implementation
//## begin Kinds%Q-Kinds.iuses preserve=yes
//## end Kinds%Q-Kinds.iuses
procedure TSquare.Paint();
//## begin TSquare::Paint%Q-TSquare-Paint.var preserve=yes
//## end TSquare::Paint%Q-TSquare-Paint.var
begin
  //## begin TSquare::Paint%Q-TSquare-Paint.body preserve=yes
  //## end TSquare::Paint%Q-TSquare-Paint.body
end;




{Moves it.}
procedure TPoint.Move(DX: Integer);
//## begin TPoint::Move%Q-TPoint-Move.var preserve=yes
//## end TPoint::Move%Q-TPoint-Move.var
begin
  //## begin TPoint::Move%Q-TPoint-Move.body preserve=yes
  //## end TPoint::Move%Q-TPoint-Move.body
end;


initialization
//## begin Kinds%Q-Kinds.initialization preserve=yes
//## end Kinds%Q-Kinds.initialization
finalization
//## begin Kinds%Q-Kinds.finalization preserve=yes
//## end Kinds%Q-Kinds.finalization
end.