
//## begin Shapes%Q-Shapes.suses preserve=yes
//## end Shapes%Q-Shapes.suses
  //## begin Shape%Q-Shape.preface preserve=yes
  //## end Shape%Q-Shape.preface
  public abstract class Shape 
  {
    //## begin Shape%Q-Shape.initial preserve=yes
    //## end Shape%Q-Shape.initial
    //private
    /// <summary>
    /// Width in mm.
    /// </summary>
    private int Fwidth;
    private int Fheight;
    private int Fdepth;
    private const int Fsides=4;
    private readonly Point Forigin;
    private const readonly string Funit="cm";
    private const int Fnothing;
    private int Fcolor;
    private Shape Fouter;
    private const Shape Fempty=null;
    //## begin Shape%Q-Shape.private preserve=yes
    //## end Shape%Q-Shape.private
    private event EventHandler Changed()
    {
      //## begin Shape::Changed%Q-Shape-Changed.body preserve=yes
      //## end Shape::Changed%Q-Shape-Changed.body
    }
    //protected
    //## begin Shape%Q-Shape.protected preserve=yes
    //## end Shape%Q-Shape.protected
    protected static int Count()
    {
      //## begin Shape::Count%Q-Shape-Count.body preserve=yes
      //## end Shape::Count%Q-Shape-Count.body
    }
    //public
    //## begin Shape%Q-Shape.public preserve=yes
    //## end Shape%Q-Shape.public
    public Shape(int size,string name)
    {
      Fwidth=1;
      Fheight=2;
      Fcolor=3;
      //## begin Shape::Shape%Q-Shape-Shape.body preserve=yes
      //## end Shape::Shape%Q-Shape-Shape.body
    }
    public void Shape()
    {
      //## begin Shape::Shape%Q-Shape-Shape2.body preserve=yes
      //## end Shape::Shape%Q-Shape-Shape2.body
    }
    public void Draw(Graphics g,int x)
    {
      //## begin Shape::Draw%Q-Shape-Draw.body preserve=yes
      //## end Shape::Draw%Q-Shape-Draw.body
    }
    public virtual new void Resize()
    {
      //## begin Shape::Resize%Q-Shape-Resize.body preserve=yes
      //## end Shape::Resize%Q-Shape-Resize.body
    }
    /// <summary>
    /// Computes the area.
    /// </summary>
    public abstract double Area();
    public override string ToString()
    {
      //## begin Shape::ToString%Q-Shape-ToString.body preserve=yes
      //## end Shape::ToString%Q-Shape-ToString.body
    }
    public new Init()
    {
      //## begin Shape::Init%Q-Shape-Init.body preserve=yes
      //## end Shape::Init%Q-Shape-Init.body
    }
    /// <summary>
    /// Width in mm.
    /// </summary>
    public int width 
    {
      get
      {
        //## begin Shape::Setwidth%Q-Shape-width.getbody preserve=yes
          return Fwidth;
        //## end Shape::Setwidth%Q-Shape-width.getbody
      }
    }
    public int height 
    {
    
      set
      {
        //## begin Shape::Setheight%Q-Shape-height.setbody preserve=yes
          Fheight=value;
        //## end Shape::Setheight%Q-Shape-height.setbody
      }
    }
    public override int depth 
    {
    
    }
    public abstract double area 
    {
      get;
      set;
    }
    /// <summary>
    /// Item text.
    /// </summary>
    public virtual string items[int i] 
    {
      get
      {
        //## begin Shape::Setitems%Q-Shape-items.getbody preserve=yes
        //## end Shape::Setitems%Q-Shape-items.getbody
      }
      set
      {
        //## begin Shape::Setitems%Q-Shape-items.setbody preserve=yes
        //## end Shape::Setitems%Q-Shape-items.setbody
      }
    }
    public static int color 
    {
      get
      {
        //## begin Shape::Setcolor%Q-Shape-color.getbody preserve=yes
          return Fcolor;
        //## end Shape::Setcolor%Q-Shape-color.getbody
      }
      set
      {
        //## begin Shape::Setcolor%Q-Shape-color.setbody preserve=yes
          Fcolor=value;
        //## end Shape::Setcolor%Q-Shape-color.setbody
      }
    }
    public Shape outer[int level] 
    {
      get
      {
        //## begin Shape::Setouter%Q-Nest-outer.getbody preserve=yes
          return Fouter;
        //## end Shape::Setouter%Q-Nest-outer.getbody
      }
    }
    //internal
    //## begin Shape%Q-Shape.internal preserve=yes
    //## end Shape%Q-Shape.internal
  }
  //## begin Shape%Q-Shape.postscript preserve=yes
  //## end Shape%Q-Shape.postscript

